// The folder picker's keys and result: plain code, tested natively. Its keys are inverted on
// purpose: Escape accepts the selected folder and Enter cancels.
#pragma once

#include <optional>
#include <string>

enum TPickerKey { pkPass, pkOk, pkCancel };

// Virtual keys: F10 accepts, F2 cancels, Escape accepts, Enter cancels.
TPickerKey PickerKeyDown(unsigned virtualKey);
// Characters: Escape (27) accepts, Enter (13) cancels.
TPickerKey PickerKeyPress(unsigned character);

// The initial folder unless the user accepted a folder that has a file-system path: a shell
// node without one (the computer, the network) keeps what the page had.
std::string PickerResult(const std::string& initial, bool accepted,
                         const std::optional<std::string>& selectedPath);
