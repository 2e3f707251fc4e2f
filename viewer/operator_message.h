#pragma once
// The one way the viewer tells the operator something: the program that starts the viewer
// never watches it, so a failed, diverted or cut print is said here or not at all.
#include "platform/platform.h"

// A line "report-viewer: <text>" on standard error and a message box through the platform
// services. A run without a screen (offscreen platform, scripted mode) installs services that
// write the box to standard error and go on, so nothing waits for a click there.
void showOperatorMessage(const QString& text, MsgIcon icon, const QString& title);
