// The directory reader on arbitrary bytes: it must end in a directory or an EQuillCompress,
// within the file's bounds, at any offset.
#include <cstdint>

#include "class_Compress.h"
#include "uFuzzMemFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzMemFile file;
  // Opened once: it reads whatever the memory file holds now, and the reader seeks first.
  static TCodecFileStream stream(file.Name(), fmOpenRead, 0, "");
  if (!file.Set(data, size)) return 0;
  // The first byte picks the offset, so archives inside larger files are covered too.
  int64_t offset = size > 0 ? data[0] % 8 : 0;
  TFileHeaders headers(nullptr);
  try {
    headers.ReadDirectory(stream, offset);
  } catch (const EQuillCompress&) {
  }
  TlzhFileStats stats;
  headers.InitTotals(stats);
  const int count = headers.Count();
  for (int i = 0; i < count; ++i) {
    const TFileHeader& h = headers.GetFileHeaders(i);
    if (!h.IsValid()) __builtin_trap();
    // A name finds its entry or an earlier twin; asked of the first and last few only, since
    // every lookup walks the whole directory.
    if (i < 8 || i >= count - 8) {
      const std::string name = h.FileName();
      int found = headers.IndexOfFile(name);
      if (name.empty() || (name.find(';') == std::string::npos && (found < 0 || found > i)))
        __builtin_trap();
    }
  }
  return 0;
}
