#include "uArchiveHooks.h"

#include <cstdio>

#include "uFileSys.h"

namespace {

void NoMessages() {}

void PrintMessage(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

}  // namespace

TArchiveHooks DefaultArchiveHooks() { return {NoMessages, PrintMessage, fsys::SetFileDosDateTime}; }

TArchiveHooks& ArchiveHooks() {
  static TArchiveHooks hooks = DefaultArchiveHooks();
  return hooks;
}
