#include "uStreams.h"

#include <memory>

#include "uExceptions.h"

TCodecFileStream::TCodecFileStream(const std::string& fileName, TFileMode mode, uint8_t codec,
                                   const std::string& key)
    : Codec(codec),
      File(mode == fmCreate ? fsys::TFile::Create(fileName) : fsys::TFile::OpenRead(fileName)) {
  if (!File.IsOpen())
    throw EQuillCompress(Format("Cannot open the compressed file %s", {fileName}));
  Cipher.SetKey(key);
}

int64_t TCodecFileStream::Read(void* buffer, size_t count) {
  int64_t n = File.Read(buffer, count);
  // The whole requested count is transformed, as the stream always did; bytes past what was
  // read are the caller's own and carry no data.
  auto* bytes = static_cast<uint8_t*>(buffer);
  if (Codec == 1) Cipher.AddKey(bytes, count);
  if (Codec == 2) Cipher.SubtractKey(bytes, count);
  return n;
}

int64_t TCodecFileStream::Write(const void* buffer, size_t count) {
  if (Codec != 1 && Codec != 2) return File.Write(buffer, count);
  auto copy = std::make_unique<uint8_t[]>(count);
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  std::copy(bytes, bytes + count, copy.get());
  if (Codec == 1) Cipher.SubtractKey(copy.get(), count);
  if (Codec == 2) Cipher.AddKey(copy.get(), count);
  return File.Write(copy.get(), count);
}
