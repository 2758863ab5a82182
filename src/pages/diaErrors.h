// The errors page TSetupdialogErrors: the installation ended with files that could not be
// written, listed in the order they failed. One button, or Enter, closes it.
#pragma once

#include "uSetupRun.h"

void ShowErrors(TSetupRun& run);
