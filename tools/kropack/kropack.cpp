// kropack's entry point: hands the command line to RunKropack in UTF-8.
#include <cstdio>
#include <string>
#include <vector>

#include "uKropack.h"

#ifdef _WIN32
#include <windows.h>

#include "uText.h"

// Wide arguments, so that names outside the system's ANSI code page survive.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Narrow(argv[i]));
  // Names are printed in UTF-8; the console shows them as such while kropack runs.
  UINT previous = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
  int status = RunKropack(args, stdout, stderr);
  std::fflush(stdout);
  SetConsoleOutputCP(previous);
  return status;
}
#else
int main(int argc, char** argv) {
  return RunKropack(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
#endif
