// The finish page TSetupdialogFinish: the installation succeeded. It offers a desktop shortcut
// (full installations only) and, when a restart is required, asks whether to restart now.
#pragma once

#include "uSetupRun.h"

// Shows the page modally; on close (button, Enter or close box) stores the restart choice in
// run.RebootNow when a restart was asked about. Returns whether CBShortcut was checked, read
// before the page is released.
bool ShowFinish(TSetupRun& run);
