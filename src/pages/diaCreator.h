// The unpacking page TSetupdialogCreate: shown once the wizard has moved PageNo to 4, it runs
// RunInstallation 1000 ms after it is shown, with bars for the member and the whole package and
// the name of the member being unpacked.
#pragma once

#include "diaPageFrame.h"
#include "uSetupRun.h"

// Creates the page, shows it modally and releases it. After a run: run.InstallFailed and
// run.AppInfo.FailedFiles hold the outcome and PageNo is one higher. Cancel or the close box
// before the run ask confirmContinue: aborting sets PageNo to 0 and InstallFailed (nothing was
// unpacked); clicks during the run change nothing. An exception that ended the run sets
// InstallFailed, closes the page and is raised again here.
void ShowCreate(TSetupRun& run, const TConfirmContinue& confirmContinue);
