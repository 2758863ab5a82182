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
  if (!argv) return args;
  for (int i = 1; i < count; ++i) args.push_back(Narrow(argv[i]));
  LocalFree(argv);
  return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // A setup usually runs from a downloads folder: no DLL lying beside it may ever be loaded.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetDllDirectoryW(L"");
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int result = kExitNotStarted;
  try {
    // The library settings are known before the backdrop exists.
    LoadZebConfig(GetEnvVar("ZEB"));
    InitApplication();
    SetControlErrorHandler(HandleException);
    TFormSetup form(Arguments());
    form.SetMainForm();
    RunApplication(form);
    result = form.Driver().Run.ExitCode;
  } catch (...) {
    HandleCurrentException();
  }
  CoUninitialize();
  return result;
}
