// Where a setup file keeps its installation data: the bytes appended to the executable at
// ARCHIVE_OFFSET, up to the certificate table of a signature applied after packing, else up to
// the end of the file. Signing tools append the table after our data and name it in the PE
// header's security directory, so an unsigned and a signed setup carry the same archive. A stub
// signed before its product was appended keeps its table inside the first ARCHIVE_OFFSET bytes,
// where it ends nothing: only a table at or behind ARCHIVE_OFFSET ends the data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The size of the setup executable without its data, and the offset of the appended archive:
// the one place this number is written. A macro as well, so that texts can name it and the
// build's size check reads it from this line.
#define KRO_ARCHIVE_OFFSET 302080
#define KRO_ARCHIVE_OFFSET_TEXT KRO_TEXT_OF(KRO_ARCHIVE_OFFSET)
#define KRO_TEXT_OF(x) KRO_TEXT_OF_(x)
#define KRO_TEXT_OF_(x) #x
inline constexpr int32_t ARCHIVE_OFFSET = KRO_ARCHIVE_OFFSET;

// Enough of a file's beginning for its PE headers.
inline constexpr size_t kPeHeadBytes = 4096;

// A certificate table as the security directory names it: a file offset and a length.
struct TCertificateTable {
  int64_t Offset = 0;
  int64_t Size = 0;
};

// The certificate table of the PE image whose first bytes are head, in a file of fileSize
// bytes. Nothing when head is no PE image, names no table, or names one that does not lie
// wholly inside the file behind the headers (such a directory entry is not trusted).
std::optional<TCertificateTable> FindCertificateTable(std::string_view head, int64_t fileSize);

// The installation data of a setup file: [Begin, End). DataEnd is where the data stops (a
// certificate table behind ARCHIVE_OFFSET, or the file size); FileSize (-1 for a missing file)
// is the size the setup reports when it carries no data.
struct TDataRange {
  int64_t Begin = ARCHIVE_OFFSET;
  int64_t End = ARCHIVE_OFFSET;
  int64_t DataEnd = -1;
  int64_t FileSize = -1;
  bool Empty() const { return End <= Begin; }
  int64_t Size() const { return Empty() ? 0 : End - Begin; }
};

// fileSize -1 means the file could not be found.
TDataRange InstallationDataRange(std::string_view head, int64_t fileSize);

// Copies the data range of the executable at exePath into a new file at target (both native
// paths) in 40,000-byte chunks, for the preparation page. 0 on success; else the system's error
// code when a file cannot be opened, -1 when a read or write fails or the executable ends
// before the range does. A failed copy leaves no target.
int CopyInstallationData(const std::string& exePath, const TDataRange& range,
                         const std::string& target);
