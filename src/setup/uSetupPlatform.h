// What uSetupTools needs from the system, one implementation per platform
// (uSetupTools_win.cpp, uSetupTools_posix.cpp). Internal to the setup library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

std::optional<std::string> PlatformGetEnv(const std::string& name);
void PlatformReboot();
void PlatformBroadcastEnvironmentChange();
