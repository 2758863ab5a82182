// The preparation page TSetupdialogLoad: the first page of a run, before the wizard. It turns
// the installation data into files in the run's private folder (RunPreparation) with a
// progress bar, 500 ms after it is shown so that it is painted first.
#pragma once

#include "diaPageFrame.h"
#include "uSetupRun.h"

// Creates the page, shows it modally and releases it. True when the run ended normally
// (PageNo + 1); request.ArchivePath then names the archive used. Cancel or the close box ask
// confirmContinue while the page is idle: continuing keeps the page, aborting sets PageNo to 0
// and gives false. An exception that ended the run closes the page and is raised again here.
bool ShowLoadDialog(TSetupRun& run, TLoadRequest& request, const TConfirmContinue& confirmContinue);
