// The aborted page TSetupdialogAborted: the installation did not complete and no file was
// named as failed. One button, or Enter, closes it; it changes nothing of the run.
#pragma once

#include "uSetupRun.h"

void ShowAborted(TSetupRun& run);
