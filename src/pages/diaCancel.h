// The cancel confirmation TDialogCancel: every Cancel of the wizard asks it.
#pragma once

#include <cstdint>

// Shows the confirmation in the setup language (1 English, else German) and returns true when
// the user chose to continue setup; "Abbrechen"/"Abort" and the close box give false.
bool ConfirmContinue(std::int32_t language);
