// What the archive needs of the program around it, installed at start: letting pending window
// messages run between output blocks (the only way a stop request reaches a running
// extraction), the fallback message box, setting a file's date, and flushing a file before it
// replaces another. The defaults suit a console program: no messages to run, the box goes to
// standard error, dates and flushes go through the file layer.
#pragma once

#include <cstdint>
#include <string>

#include "uFileSys.h"

struct TArchiveHooks {
  void (*ProcessMessages)();
  void (*ShowMessage)(const std::string& text);
  bool (*SetFileDate)(fsys::TFile& file, uint16_t dosDate, uint16_t dosTime);
  bool (*FlushFile)(fsys::TFile& file, int* error);
};

TArchiveHooks& ArchiveHooks();
TArchiveHooks DefaultArchiveHooks();
