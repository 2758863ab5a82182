// The program itself, started as a user starts it: its arguments reach RunKropack intact.
#include <gtest/gtest.h>

#include "KropackKit.h"
#include "uFileSys.h"
#include "uPaths.h"

#ifdef _WIN32
#include <windows.h>

#include "uHandles.h"
#include "uText.h"
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace kit;

namespace {

// kropack beside this test program in the build tree.
std::string ProgramPath() {
  const std::string here = FolderPart(fsys::OwnExecutable().value_or(""));
#ifdef _WIN32
  return here + "..\\..\\tools\\kropack\\kropack.exe";
#else
  return here + "../../tools/kropack/kropack";
#endif
}

int RunProgram(const std::vector<std::string>& args) {
  const std::string program = ProgramPath();
#ifdef _WIN32
  // Every argument quoted; the tests pass none with quotes inside.
  std::wstring line = L"\"" + Widen(program) + L"\"";
  for (const auto& arg : args) line += L" \"" + Widen(arg) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(Widen(program).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info))
    return -1;
  TFileHandle process(info.hProcess), thread(info.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.Get(), &code);
  return static_cast<int>(code);
#else
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

// A folder name outside code page 1252 and a member name with an umlaut survive the way from
// the command line (UTF-16 on Windows) to the archive and the file system; exit codes come back.
TEST(KropackMain, ArgumentsAndExitCodes) {
  TTempDir dir;
  WriteFile(dir / "a.pak", Layout({{"\xDC"
                                    "bersicht.txt",
                                    Text("x")}}));  // "Übersicht.txt"
  EXPECT_EQ(RunProgram({"extract", "-d", dir / "\xCE\xA9", dir / "a.pak",
                        "\xC3\x9C"
                        "bersicht.txt"}),
            0);
  EXPECT_EQ(ReadFile(dir / "\xCE\xA9/\xC3\x9C"
                           "bersicht.txt"),
            Text("x"));
  EXPECT_EQ(RunProgram({"list", dir / "none.pak"}), 1);
  EXPECT_EQ(RunProgram({"list"}), 2);
}

}  // namespace
