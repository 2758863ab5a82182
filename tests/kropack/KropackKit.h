// Runs kropack as its main does, with standard output and error captured.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "ArchiveKit.h"
#include "uDates.h"
#include "uFileSys.h"
#include "uKropack.h"

namespace kit {

struct TRun {
  int Exit;
  std::string Out, Err;
};

inline std::string Slurp(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
  std::fclose(f);
  return text;
}

// Output goes to files beside the scratch folder, never into what a test packs.
inline TRun Kropack(const TTempDir& dir, const std::vector<std::string>& args) {
  std::FILE* out = std::fopen((dir.Str() + ".out").c_str(), "w+b");
  std::FILE* err = std::fopen((dir.Str() + ".err").c_str(), "w+b");
  int exit = RunKropack(args, out, err);
  TRun run{exit, Slurp(out), Slurp(err)};
  std::remove((dir.Str() + ".out").c_str());
  std::remove((dir.Str() + ".err").c_str());
  return run;
}

// Creates the file with its folders; name uses '/' between folders.
inline void Put(const TTempDir& dir, const std::string& name, const Bytes& data) {
  fs::create_directories(P(dir / name).parent_path());
  WriteFile(dir / name, data);
}

// The file's date as the archive restores it: a local DOS date and time.
inline uint32_t DosStamp(const std::string& path) {
  uint16_t date = 0, time = 0;
  DateTimeToDos(fsys::FileDateTime(path).value_or(0), date, time);
  return static_cast<uint32_t>(date) << 16 | time;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

}  // namespace kit
