#include <gtest/gtest.h>

#include "uSetupOptions.h"

namespace {

std::string Shown(const TSetupOptions& o) {
  return std::string(o.Silent ? "S " : "") + (o.Shortcuts ? "SHORTCUTS " : "") +
         (o.NoRestart ? "NORESTART " : "") + "lib=" + std::to_string(o.Library) + " d=" + o.Folder +
         " log=" + o.LogFile + " archive=" + (o.HasArchive ? o.Archive : "-") + " bad=" + o.Bad;
}

}  // namespace

// Each option, its letter case, its value, and what makes a command line bad.
TEST(SetupOptions, Table) {
  struct {
    std::vector<std::string> args;
    const char* parsed;
  } cases[] = {
      {{}, "lib=-1 d= log= archive=- bad="},
      {{"/S"}, "S lib=-1 d= log= archive=- bad="},
      {{"/s", "/shortcuts", "/NoRestart"}, "S SHORTCUTS NORESTART lib=-1 d= log= archive=- bad="},
      {{"/d=D:\\Kro Neu", "/Lib=3", "/log=C:\\Temp\\Setup.LOG"},
       "lib=3 d=D:\\Kro Neu log=C:\\Temp\\Setup.LOG archive=- bad="},
      // The archive is the first argument that is no option, wherever it stands.
      {{"/S", "F:\\data.1", "G:\\second.1"}, "S lib=-1 d= log= archive=F:\\data.1 bad="},
      {{""}, "lib=-1 d= log= archive= bad="},
      // A value with an equals sign keeps it; a later option replaces an earlier one.
      {{"/D=C:\\a=b", "/LIB=0", "/LIB=2"}, "lib=2 d=C:\\a=b log= archive=- bad="},
      {{"/X"}, "lib=-1 d= log= archive=- bad=/X"},
      {{"/S", "/SILENT", "/Q"}, "S lib=-1 d= log= archive=- bad=/SILENT"},
      {{"/LIB=4"}, "lib=-1 d= log= archive=- bad=/LIB=4"},
      {{"/LIB=12"}, "lib=-1 d= log= archive=- bad=/LIB=12"},
      {{"/LIB="}, "lib=-1 d= log= archive=- bad=/LIB="},
      {{"/D="}, "lib=-1 d= log= archive=- bad=/D="},
      {{"/D"}, "lib=-1 d= log= archive=- bad=/D"},
      {{"/LOG="}, "lib=-1 d= log= archive=- bad=/LOG="},
      {{"/S=1"}, "lib=-1 d= log= archive=- bad=/S=1"},
      {{"/"}, "lib=-1 d= log= archive=- bad=/"},
  };
  for (const auto& c : cases) EXPECT_EQ(Shown(ParseOptions(c.args)), c.parsed) << c.parsed;
}
