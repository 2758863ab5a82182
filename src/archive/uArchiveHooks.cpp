#include "uArchiveHooks.h"

#include <cstdio>

#include "uFileSys.h"

namespace {

void NoMessages() {}

void PrintMessage(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

bool SetOpenFileDate(fsys::TFile& file, uint16_t dosDate, uint16_t dosTime) {
  return file.SetDosDateTime(dosDate, dosTime);
}

}  // namespace

TArchiveHooks DefaultArchiveHooks() { return {NoMessages, PrintMessage, SetOpenFileDate}; }

TArchiveHooks& ArchiveHooks() {
  static TArchiveHooks hooks = DefaultArchiveHooks();
  return hooks;
}
