// Helpers for the setup tests: a scratch folder, files, and a fake process environment.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "uSetupTools.h"

// A new empty folder in the temporary folder, as a path without trailing backslash.
std::string MakeScratchFolder();
void PutFile(const std::string& path, const std::string& bytes);
std::optional<std::string> FileText(const std::string& path);

// The process environment as the setup sees it, plus counters for the other hooks.
struct TFakeSystem {
  std::map<std::string, std::string> Env;
  int Broadcasts = 0;
  int Reboots = 0;
  TSystemHooks Hooks() {
    return {[this](const std::string& name) -> std::optional<std::string> {
              auto it = Env.find(name);
              if (it == Env.end()) return std::nullopt;
              return it->second;
            },
            [this] { ++Reboots; }, [this] { ++Broadcasts; }};
  }
};
