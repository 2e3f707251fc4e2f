#pragma once
// How screen readers and automated checks (AT-SPI) see a SpreadGrid: a table as Qt shows any
// table (corner, column and row headers, cells with their text, state and selection, child
// numbering as QTableView reports focus changes), whose cells offer the operator's actions:
// "Toggle" on a check cell ticks it, "Press" on a button cell presses it, "SetFocus" on any
// cell makes it the current one.

// Installs the accessibility factory for SpreadGrid (once; every grid calls it).
void installGridAccessibility();
