// kropack: packs, lists, tests and extracts archives and builds setup files. All logic lives
// here so that the tests drive the very code the program runs; main only converts arguments.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Exit status of a command.
enum TKropackExit { keOk = 0, keFailed = 1, keUsage = 2 };

// Runs one command line (without the program name; arguments in UTF-8). Results go to out,
// messages to err; a progress line is drawn on err only when err is a terminal.
int RunKropack(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);
