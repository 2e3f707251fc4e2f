#!/usr/bin/python3
# Run by atspi_list_cells.sh against the running program: over the accessibility bus, the list
# is found by its names, a 選 cell offers "Toggle" that ticks it and a 頻回確認 cell offers
# "Press" that opens 施術頻回内訳. Exits non-zero with the reason on the first failure.
import sys
import time

import pyatspi


def wait_for(what, probe, seconds=30):
    deadline = time.time() + seconds
    while time.time() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.3)
    sys.exit("not found: " + what)


def find(node, test, depth=0):
    # Cells are reached through the table interface, not by walking every cell.
    if node is None or depth > 20:
        return None
    if test(node):
        return node
    if node.getRoleName() == "table":
        return None
    for i in range(node.childCount):
        hit = find(node.getChildAtIndex(i), test, depth + 1)
        if hit is not None:
            return hit
    return None


def the_program():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "monthly-records":
            return app
    return None


def act(node, name):
    actions = node.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if name not in names:
        sys.exit("%s offers %s, not %s" % (node.name, names, name))
    actions.doAction(names.index(name))


def named(app, role, name):
    return wait_for(role + " " + name, lambda: find(app, lambda n: n.getRoleName() == role and n.name == name))


app = wait_for("the program", the_program)
grid = wait_for("grdData", lambda: find(app, lambda n: n.getRoleName() == "table" and n.description == "grdData"))
act(named(app, "radio button", "全利用者"), "Toggle")
act(named(app, "push button", "抽出"), "Press")
table = grid.queryTable()
wait_for("a listed user", lambda: table.nRows > 0)
headers = [table.getColumnDescription(c) for c in range(table.nColumns)]
check_col, button_col = headers.index("選"), headers.index("")

check = table.getAccessibleAt(0, check_col)
if check.getState().contains(pyatspi.STATE_CHECKED):
    sys.exit("the first row is ticked before the test")
act(check, "Toggle")
wait_for("the tick", lambda: table.getAccessibleAt(0, check_col).getState().contains(pyatspi.STATE_CHECKED), 5)

button = table.getAccessibleAt(0, button_col)
if button.name != "頻回確認":
    sys.exit("the button cell is named %r" % button.name)
act(button, "Press")
named(app, "dialog", "施術頻回内訳")
print("ok")
