// The fuzz input as a file the archive code opens by name, kept in memory: a memory file
// (memfd) reached through /proc, so that no run writes to a disk.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

class TFuzzMemFile {
 public:
  TFuzzMemFile() : Fd(memfd_create("kro-fuzz", 0)), Path("/proc/self/fd/" + std::to_string(Fd)) {}
  ~TFuzzMemFile() { ::close(Fd); }
  TFuzzMemFile(const TFuzzMemFile&) = delete;
  TFuzzMemFile& operator=(const TFuzzMemFile&) = delete;

  // Replaces the content; false when the memory file cannot take it.
  bool Set(const uint8_t* data, size_t size) {
    return Fd >= 0 && ::ftruncate(Fd, static_cast<off_t>(size)) == 0 &&
           ::pwrite(Fd, data, size, 0) == static_cast<ssize_t>(size);
  }
  const std::string& Name() const { return Path; }

 private:
  const int Fd;
  const std::string Path;
};
