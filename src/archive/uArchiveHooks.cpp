#include "uArchiveHooks.h"

#include <cstdio>

#include "uFileSys.h"

namespace {

void NoMessages() {}

// No printf: in a static Windows build it brings some 17 KB of floating-point formatting.
void PrintMessage(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fputc('\n', stderr);
}

bool SetOpenFileDate(fsys::TFile& file, uint16_t dosDate, uint16_t dosTime) {
  return file.SetDosDateTime(dosDate, dosTime);
}

bool FlushOpenFile(fsys::TFile& file, int* error) { return file.Flush(error); }

}  // namespace

TArchiveHooks DefaultArchiveHooks() {
  return {NoMessages, PrintMessage, SetOpenFileDate, FlushOpenFile};
}

TArchiveHooks& ArchiveHooks() {
  static TArchiveHooks hooks = DefaultArchiveHooks();
  return hooks;
}
