#include "uInstallData.h"

#include <algorithm>
#include <vector>

#include "uFileSys.h"

namespace {

uint32_t ReadLE(std::string_view bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = width; i-- > 0;) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

bool Holds(std::string_view bytes, uint64_t at, uint64_t width) {
  return at <= bytes.size() && width <= bytes.size() - at;
}

constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kSecurityDirectory = 4;

}  // namespace

std::optional<TCertificateTable> FindCertificateTable(std::string_view head, int64_t fileSize) {
  if (!Holds(head, 0, 64) || head.substr(0, 2) != "MZ") return std::nullopt;
  const uint64_t pe = ReadLE(head, 0x3C, 4);
  if (!Holds(head, pe, 24) || head.substr(pe, 4) != std::string_view("PE\0\0", 4))
    return std::nullopt;
  const uint64_t optionalSize = ReadLE(head, pe + 20, 2);
  const uint64_t optional = pe + 24;
  if (!Holds(head, optional, 2)) return std::nullopt;
  uint64_t countAt, directories;
  switch (ReadLE(head, optional, 2)) {
    case kPe32Magic:
      countAt = 92, directories = 96;
      break;
    case kPe32PlusMagic:
      countAt = 108, directories = 112;
      break;
    default:
      return std::nullopt;
  }
  // The entry must lie inside the optional header as declared and inside what we read.
  const uint64_t entry = directories + kSecurityDirectory * 8;
  if (entry + 8 > optionalSize || !Holds(head, optional, entry + 8)) return std::nullopt;
  if (ReadLE(head, optional + countAt, 4) <= kSecurityDirectory) return std::nullopt;
  const int64_t offset = ReadLE(head, optional + entry, 4);
  const int64_t size = ReadLE(head, optional + entry + 4, 4);
  const int64_t headersEnd = static_cast<int64_t>(optional + optionalSize);
  // A table has at least one 8-byte certificate header and sits behind the headers.
  if (offset == 0 || size < 8 || offset < headersEnd || offset > fileSize - size)
    return std::nullopt;
  return TCertificateTable{offset, size};
}

TDataRange InstallationDataRange(std::string_view head, int64_t fileSize) {
  TDataRange range;
  range.FileSize = fileSize;
  if (fileSize < 0) return range;
  std::optional<TCertificateTable> table = FindCertificateTable(head, fileSize);
  range.DataEnd = table && table->Offset >= ARCHIVE_OFFSET ? table->Offset : fileSize;
  if (range.DataEnd > ARCHIVE_OFFSET) range.End = range.DataEnd;
  return range;
}

int CopyInstallationData(const std::string& exePath, const TDataRange& range,
                         const std::string& target) {
  int error = 0;
  fsys::TFile source = fsys::TFile::OpenRead(exePath, &error);
  if (!source.IsOpen()) return error ? error : -1;
  if (!source.Seek(range.Begin)) return -1;
  fsys::TFile output = fsys::TFile::Create(target, &error);
  if (!output.IsOpen()) return error ? error : -1;
  std::vector<char> buffer(40000);
  int64_t left = range.Size();
  bool ok = true;
  while (ok && left > 0) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(left, int64_t(buffer.size())));
    const int64_t n = source.Read(buffer.data(), want);
    ok = n == static_cast<int64_t>(want) &&
         output.Write(buffer.data(), want) == static_cast<int64_t>(want);
    left -= want;
  }
  output.Close();
  if (ok) return 0;
  fsys::RemoveFile(target);
  return -1;
}
