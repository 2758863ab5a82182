// What the kropack commands share: the parsed command line, the failure they raise, the
// progress line.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A command fails by raising this; RunKropack prints "kropack: " and the message.
struct TKropackFailure {
  std::string Message;
  int Exit;
};

[[noreturn]] inline void Fail(std::string message) { throw TKropackFailure{std::move(message), 1}; }
[[noreturn]] inline void UsageFail(std::string message) {
  throw TKropackFailure{std::move(message), 2};
}

struct TArgs {
  std::vector<std::string> Positional;
  std::map<std::string, std::string> Values;  // options with a value, by their spelling
  std::map<std::string, bool> Flags;
  std::optional<std::string> Value(const std::string& option) const;
  bool Flag(const std::string& option) const { return Flags.count(option) != 0; }
  // The --offset value, 0 when not given; raises a usage failure for anything but digits.
  int64_t Offset() const;
  // The --threads value, by default the number of cores; raises a usage failure for anything
  // but a number from 1 to kMaxThreads.
  int Threads() const;
};

inline constexpr int kMaxThreads = 256;

struct TIo {
  std::FILE* Out;
  std::FILE* Err;
};

// One line on standard error that says how far a long run has come. It appears only on a
// terminal and only after the run has taken a moment, and it is erased before anything else
// is printed.
class TProgress {
 public:
  TProgress(std::FILE* err, int64_t total);
  ~TProgress() { Clear(); }
  void Add(int64_t bytes, const std::string& name);
  void Clear();

 private:
  using TClock = std::chrono::steady_clock;
  std::FILE* Err;
  bool Enabled;
  int64_t Total;
  int64_t Done = 0;
  TClock::time_point Start, LastDraw;
  bool Drawn = false;
};

// A stored name as it may appear on one line of output: control characters become '?', so
// that a hostile name cannot break the listing or steer the terminal.
std::string Printable(const std::string& name);

int RunPack(const TArgs& args, const TIo& io);
int RunSetup(const TArgs& args, const TIo& io);
