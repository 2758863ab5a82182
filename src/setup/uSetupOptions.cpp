#include "uSetupOptions.h"

#include "uText.h"

TSetupOptions ParseOptions(const std::vector<std::string>& args) {
  TSetupOptions o;
  for (const std::string& arg : args) {
    if (arg.empty() || arg[0] != '/') {
      if (!o.HasArchive) o.Archive = arg;
      o.HasArchive = true;
      continue;
    }
    const size_t eq = arg.find('=');
    const std::string name = UpperAZ(arg.substr(0, eq == std::string::npos ? eq : eq + 1));
    const std::string value = eq == std::string::npos ? std::string() : arg.substr(eq + 1);
    bool good = !value.empty();
    if (name == "/S")
      o.Silent = good = true;
    else if (name == "/SHORTCUTS")
      o.Shortcuts = good = true;
    else if (name == "/NORESTART")
      o.NoRestart = good = true;
    else if (name == "/D=")
      o.Folder = value;
    else if (name == "/LOG=")
      o.LogFile = value;
    else if (name == "/LIB=" && value.size() == 1 && value[0] >= '0' && value[0] <= '3')
      o.Library = value[0] - '0';
    else
      good = false;
    if (!good && o.Bad.empty()) o.Bad = arg;
  }
  return o;
}
