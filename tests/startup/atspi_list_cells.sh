#!/usr/bin/env bash
# The list's cells over the accessibility bus, as screen readers and outside checks reach them:
# the real program, installed from the build with a demo database, under a virtual display.
#   atspi_list_cells.sh BUILD_DIR CHECK_SCRIPT
set -euo pipefail
build=$(realpath "$1")
check=$(realpath "$2")
tmp=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$tmp/inst" >/dev/null
"$tmp/inst/bin/monthly-records-setup" "$tmp/office" --demo >/dev/null
mkdir -m 700 "$tmp/run"
export XDG_RUNTIME_DIR=$tmp/run

# A display of its own: Xvfb names the first free one on the descriptor when it is ready.
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { cat "$tmp/xvfb.log"; exit 1; }
export DISPLAY=:$(head -n1 "$tmp/display")
unset QT_QPA_PLATFORM MONTHLY_RECORDS_SCRIPTED

# A session bus of its own; the accessibility bus and its registry start on demand.
cd "$tmp/office"
dbus-run-session -- bash -c '
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 ./monthly-records 1 2>"'"$tmp"'/program.log" &
  program=$!
  status=0
  /usr/bin/python3 "'"$check"'" || status=$?
  kill $program 2>/dev/null
  wait $program 2>/dev/null
  [ $status -eq 0 ] || cat "'"$tmp"'/program.log" >&2
  exit $status
' 2> >(grep -v -e "Failed to set fd limit" -e "Activating service" -e "Successfully activated" >&2)
