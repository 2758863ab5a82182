// The welcome page TSetupdialogWelcome, page 1 of the wizard.
#pragma once

#include "uSetupRun.h"

// Shows the page modally. Next moves run.PageNo to 2, a confirmed Cancel (or the close box)
// to 0. The flags set run.Language (0 German, 1 English) for this and every later page.
void ShowWelcome(TSetupRun& run);
