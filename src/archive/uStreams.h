// A file stream that passes every byte read or written through a TCipher. The archive engine
// always opens with codec 0 (plain); the other two exist for archive files stored enciphered.
#pragma once

#include <cstdint>
#include <string>

#include "class_Cipher.h"
#include "uFileSys.h"

enum TFileMode { fmOpenRead, fmCreate };

class TCodecFileStream {
 public:
  // Codec 0 plain, 1 stored subtracted, 2 stored added; any other value is plain.
  // fmOpenRead shares the file with other readers and writers; fmCreate replaces it, unshared.
  // Raises EQuillCompress "Cannot open the compressed file %s" when it cannot be opened.
  TCodecFileStream(const std::string& fileName, TFileMode mode, uint8_t codec,
                   const std::string& key);

  int64_t Read(void* buffer, size_t count);
  // The caller's buffer is never changed.
  int64_t Write(const void* buffer, size_t count);
  bool Seek(int64_t position) { return File.Seek(position); }
  int64_t Position() const { return File.Position(); }
  int64_t Size() const { return File.Size(); }

  const uint8_t Codec;

 private:
  fsys::TFile File;
  TCipher Cipher;
};
