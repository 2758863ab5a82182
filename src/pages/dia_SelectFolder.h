// The folder picker TFormSelectFolder: a small sizeable window with the shell's folder tree.
#pragma once

#include <cstdint>
#include <string>

// Shows the picker with initialFolder selected when it exists, in the given language (1
// English, else German). Returns the file-system path of the folder accepted (OK, F10 or
// Escape), or initialFolder when the user cancels (Cancel, F2, Enter, the close box) or accepts
// a shell node that has no file-system path. Afterwards the current directory is the folder of
// the running executable.
std::string SelectFolder(const std::string& initialFolder, std::int32_t language);
