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
#include "uSetupLog.h"
#include "uSetupSilent.h"
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

// With a log, every box the run shows is written to it, with the answer a confirmation got.
int LoggedBox(TMessageKind kind, const std::string& text) {
  SetupLogLine("message: ", text);
  const int answer = RunMessageBox(kind, text);
  if (kind == mkConfirmation) SetupLogLine("answer: ", answer == mrOk ? "OK" : "Cancel");
  return answer;
}

int RunSilent(const std::vector<std::string>& args) {
  TProgramSystem system;
  const TDestPathSystem dest = DefaultDestPathSystem();
  TSilentPages pages(system, dest);
  TSetupDriver driver(pages, system);
  if (driver.Start(args) == TStartResult::RunPages) driver.RunPages();
  driver.Close();
  return driver.Run.ExitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  RestrictDllSearch();
  TComApartment com(COINIT_APARTMENTTHREADED);
  const std::vector<std::string> args = Arguments();
  const TSetupOptions options = ParseOptions(args);
  // Opened before the driver makes the executable's drive current: a relative name means the
  // folder setup was started in.
  if (!options.LogFile.empty() && OpenSetupLog(options.LogFile)) SetMessageBoxFunc(LoggedBox);
  int result = kExitNotStarted;
  try {
    // The library settings are known before the backdrop exists.
    LoadZebConfig(GetEnvVar("ZEB"));
    if (options.Silent) {
      result = RunSilent(args);
    } else {
      InitApplication();
      SetControlErrorHandler(HandleException);
      TProgramSystem system;
      TFormSetup form(args, system);
      form.SetMainForm();
      RunApplication(form);
      result = form.Driver().Run.ExitCode;
    }
  } catch (...) {
    if (options.Silent)
      SetupLogLine("error: ", ExceptionMessage(std::current_exception()));
    else
      HandleCurrentException();
  }
  return result;
}
