// The database library page TSetupdialogLibs, page 3 of the wizard (shown when the description
// says LibsIncluded = 4).
#pragma once

#include "uSetupRun.h"

// Shows the page modally with run.AppInfo.LibVariant preselected and named. Next stores the
// chosen item's index in run.AppInfo.LibVariant and moves PageNo + 1; Back PageNo - 1 without
// storing; a confirmed Cancel PageNo 0.
void ShowLibs(TSetupRun& run);
