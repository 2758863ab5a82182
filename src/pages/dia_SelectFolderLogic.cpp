#include "dia_SelectFolderLogic.h"

TPickerKey PickerKeyDown(unsigned virtualKey) {
  switch (virtualKey) {
    case 0x79:  // F10
    case 0x1B:  // Escape
      return pkOk;
    case 0x71:  // F2
    case 0x0D:  // Enter
      return pkCancel;
  }
  return pkPass;
}

TPickerKey PickerKeyPress(unsigned character) {
  if (character == 27) return pkOk;
  if (character == 13) return pkCancel;
  return pkPass;
}

std::string PickerResult(const std::string& initial, bool accepted,
                         const std::optional<std::string>& selectedPath) {
  if (!accepted || !selectedPath || selectedPath->empty()) return initial;
  return *selectedPath;
}
