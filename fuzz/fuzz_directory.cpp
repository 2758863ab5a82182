// The directory reader on arbitrary bytes: it must end in a directory or an EQuillCompress,
// within the file's bounds, at any offset.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "class_Compress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    std::string p = "/tmp/kro-fuzz-dir-" + std::to_string(getpid()) + ".pak";
    std::atexit(
        [] { std::remove(("/tmp/kro-fuzz-dir-" + std::to_string(getpid()) + ".pak").c_str()); });
    return p;
  }();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  // The first byte picks the offset, so archives inside larger files are covered too.
  int64_t offset = size > 0 ? data[0] % 8 : 0;
  TFileHeaders headers(nullptr);
  TCodecFileStream stream(path, fmOpenRead, 0, "");
  try {
    headers.ReadDirectory(stream, offset);
  } catch (const EQuillCompress&) {
  }
  TlzhFileStats stats;
  headers.InitTotals(stats);
  for (int i = 0; i < headers.Count(); ++i) {
    const TFileHeader& h = headers.GetFileHeaders(i);
    if (!h.IsValid() || h.FileName().empty()) __builtin_trap();
    headers.IndexOfFile(h.FileName());
  }
  return 0;
}
