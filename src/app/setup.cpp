// setup.exe: the program start. Everything else lives in libraries the tests link.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "uApplication.h"
#include "uControlWindow.h"
#include "uGetZebIni.h"
#include "uHandles.h"
#include "uSetup.h"
#include "uSetupTools.h"
#include "uText.h"

// The runtime's verbose handler carries a demangler of some 70 KB; setup.exe has no room for
// it and nobody reads its output.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {

std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  TLocalMemory owner(argv);
  for (int i = 1; argv && i < count; ++i) args.push_back(Narrow(argv[i]));
  return args;
}

#ifdef KRO_TEST_BUILD
// The test build only: Wine names every language in English, so whole runs give the system
// language's name through KRO_SETUP_LANGUAGE_NAME. The shipped program never reads it.
struct TTestSetupSystem : TDefaultSetupSystem {
  std::string SystemLanguageName() override {
    std::optional<std::string> forced = SystemHooks().GetEnv("KRO_SETUP_LANGUAGE_NAME");
    return forced ? *forced : TDefaultSetupSystem::SystemLanguageName();
  }
};
using TProgramSystem = TTestSetupSystem;
#else
using TProgramSystem = TDefaultSetupSystem;
#endif

// A setup usually runs from a downloads folder: no DLL lying beside it may ever be loaded.
// Windows 7 without its loader update lacks SetDefaultDllDirectories, and an import of it would
// keep the program from starting there at all; where it exists it comes before anything else.
void RestrictDllSearch() {
  using TSetDefault = BOOL(WINAPI*)(DWORD);
  if (auto setDefault = reinterpret_cast<TSetDefault>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32"), "SetDefaultDllDirectories"))))
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  RestrictDllSearch();
  TComApartment com(COINIT_APARTMENTTHREADED);
  int result = kExitNotStarted;
  try {
    // The library settings are known before the backdrop exists.
    LoadZebConfig(GetEnvVar("ZEB"));
    InitApplication();
    SetControlErrorHandler(HandleException);
    TProgramSystem system;
    TFormSetup form(Arguments(), system);
    form.SetMainForm();
    RunApplication(form);
    result = form.Driver().Run.ExitCode;
  } catch (...) {
    HandleCurrentException();
  }
  return result;
}
