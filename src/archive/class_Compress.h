// The package archive: its container format, the directory that reads it, and TQuillCompress,
// the component that lists and extracts members (and, for the packing tool, writes archives).
//
// Container at archive start A (the component's Offset); integers little-endian, signed 32-bit
// unless noted; every position is relative to A.
//
//   A+0    HeaderCount   int32   number of directory records (0 or less: none)
//   A+4    Spanned       uint8   0: one file; else members may continue over disk files
//   A+5    first directory record
//
//   Directory record, 156 bytes:
//   +0     FileNumber      int32    1-based number in directory order (not used when reading)
//   +4     FileDate        double   days since 1899-12-30 00:00, local time
//   +12    LastDisk        uint8    disk holding the member's last compressed byte
//   +13    LastByte        int32    position of that byte on LastDisk, inclusive
//   +17    name length     uint8    0 to 100
//   +18    FileName        100      code page 1252, zero-padded
//   +118   NextHeader      int32    position of the next record
//   +122   FileSize        int32    size after inflation
//   +126   DataPosition    int32    position of the first compressed byte on FirstDisk
//   +130   CompressedSize  int32
//   +134   FirstDisk       uint8
//   +135   Reserved        21       zero
//
// Member data is one zlib stream (78 DA as written here; 78 01, stored blocks, for a member
// compressed already). The packing side deflates every MiB of a member on its own and joins
// the pieces with sync flushes, so that a stream may hold empty stored blocks. The single-file
// layout written by the packing side:
//
//   | prologue | record 1 | data 1 | record 2 | data 2 | ... |
//   DataPosition = record + 156, LastByte = DataPosition + CompressedSize - 1,
//   NextHeader = LastByte + 1; the last NextHeader is the archive's length.
//
// Spanned sets: disk n is the archive's name with its extension replaced by ".n"; a member
// continues from byte 0 of each following disk to LastByte on LastDisk. The directory is read
// from the file named as the archive only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "uExceptions.h"
#include "uStreams.h"

class TQuillCompress;
class TReplacement;

inline constexpr int kHeaderSize = 156;
inline constexpr int kPrologueSize = 5;
inline constexpr int kMaxFileName = 100;

// Where each field of a directory record starts, as drawn above.
namespace rec {
inline constexpr int kFileNumber = 0;
inline constexpr int kFileDate = 4;
inline constexpr int kLastDisk = 12;
inline constexpr int kLastByte = 13;
inline constexpr int kNameLength = 17;
inline constexpr int kFileName = 18;
inline constexpr int kNextHeader = 118;
inline constexpr int kFileSize = 122;
inline constexpr int kDataPosition = 126;
inline constexpr int kCompressedSize = 130;
inline constexpr int kFirstDisk = 134;
inline constexpr int kReserved = 135;
inline constexpr int kReservedSize = 21;
// Each field ends where the next begins, and the last one ends the record.
static_assert(kFileDate == kFileNumber + 4 && kLastDisk == kFileDate + 8 &&
              kLastByte == kLastDisk + 1 && kNameLength == kLastByte + 4 &&
              kFileName == kNameLength + 1 && kNextHeader == kFileName + kMaxFileName &&
              kFileSize == kNextHeader + 4 && kDataPosition == kFileSize + 4 &&
              kCompressedSize == kDataPosition + 4 && kFirstDisk == kCompressedSize + 4 &&
              kReserved == kFirstDisk + 1 && kReserved + kReservedSize == kHeaderSize &&
              kHeaderSize == 156);
}  // namespace rec

using THeaderRecord = std::array<uint8_t, kHeaderSize>;

// The per-file status record passed with every event. The totals are 64-bit: sums of 32-bit
// sizes over a whole directory must not wrap.
struct TlzhFileStats {
  uint8_t FilePercent = 0;
  int32_t FileBytesDone = 0;
  std::string FileName;  // UTF-8, with its stored backslash path
  int32_t CompressedSize = 0;
  uint8_t Ratio = 0;
  int32_t FileSize = 0;
  THeaderRecord Header{};
  uint8_t FileDone = 0;
  uint8_t TotalPercent = 0;
  int64_t TotalBytesDone = 0;
  int64_t TotalCompressedSize = 0;
  uint8_t TotalRatio = 0;
  int64_t TotalSize = 0;
};

// part / whole x 100, the exact quotient rounded half to even; 0 when it cannot be computed or
// does not fit a byte.
uint8_t PercentOf(int64_t part, int64_t whole);

class TFileHeader {
 public:
  explicit TFileHeader(TQuillCompress* owner) : Owner(owner) {}
  bool IsValid() const;

  int32_t FileNumber() const { return Int(rec::kFileNumber); }
  double FileDate() const;
  uint8_t LastDisk() const { return Record[rec::kLastDisk]; }
  int32_t LastByte() const { return Int(rec::kLastByte); }
  std::string FileName() const;         // UTF-8
  std::string_view StoredName() const;  // code page 1252, as it lies in the record
  int32_t NextHeader() const { return Int(rec::kNextHeader); }
  int32_t FileSize() const { return Int(rec::kFileSize); }
  int32_t DataPosition() const { return Int(rec::kDataPosition); }
  int32_t CompressedSize() const { return Int(rec::kCompressedSize); }
  uint8_t FirstDisk() const { return Record[rec::kFirstDisk]; }

  TQuillCompress* const Owner;
  THeaderRecord Record{};

 private:
  int32_t Int(int at) const;
};

class TFileHeaders {
 public:
  explicit TFileHeaders(TQuillCompress* owner) : Owner(owner) {}

  int Count() const { return static_cast<int>(Items.size()); }
  // Raises EQuillCompress "%d is an invalid TFileHeader index in TFileHeaders.GetFileHeaders".
  TFileHeader& GetFileHeaders(int index) const;
  // Raises EQuillCompress "Tried to add an invalid file header" for a blank name.
  void Add(std::unique_ptr<TFileHeader> entry);
  void Clear() { Items.clear(); }
  // The request's text before its first semicolon names the entry; letters A to Z match
  // without regard to case. -1 when none matches.
  int IndexOfFile(const std::string& request) const;
  // Replaces the list with the directory at the offset; raises EQuillCompress.
  void ReadDirectory(TCodecFileStream& stream, int64_t offset);
  bool Spanned() const { return FSpanned; }

  void InitTotals(TlzhFileStats& stats) const;
  void ComputeTotals(TlzhFileStats& stats) const;

  TQuillCompress* const Owner;

 private:
  std::vector<std::unique_ptr<TFileHeader>> Items;
  bool FSpanned = false;
};

enum TCompressionLevel { clNone, clFastest, clDefault, clMax };
enum TOverwriteType { owAlways, owNever, owVersion, owDate, owVersionDate };

using TNotifyEvent = std::function<void(TQuillCompress& sender)>;
using TlzhFileStatsEvent =
    std::function<void(TQuillCompress& quillCompress, const TlzhFileStats& fileStats)>;
using TlzhNewDiskEvent =
    std::function<void(TQuillCompress& quillCompress, int diskNumber, std::string& path)>;
using TLZHErrorEvent =
    std::function<void(TQuillCompress& compressor, const std::string& aFileName, int aErrorCode)>;

// One file for the writing side: where its bytes come from and how the archive names it.
struct TPackItem {
  std::string SourcePath;
  std::string StoredName;  // UTF-8; stored in code page 1252, at most 100 bytes
  double FileDate = 0;
  // Kept as stored deflate blocks (zlib header 78 01): for data compressed already, such as
  // a package inside a setup file's archive.
  bool Store = false;
};

class TQuillCompress {
 public:
  TQuillCompress();
  virtual ~TQuillCompress();
  TQuillCompress(const TQuillCompress&) = delete;
  TQuillCompress& operator=(const TQuillCompress&) = delete;

  // Published properties.
  bool Abort = false;
  const std::string& CompressedFile() const { return FCompressedFile; }
  void SetCompressedFile(const std::string& value);
  TCompressionLevel CompressionLevel = clMax;
  // Members AddFiles compresses at once; the archive is the same byte for byte at any number.
  int Threads = 1;
  std::string ExtractDirectory;
  const std::vector<std::string>& FilesToProcess() const { return FFilesToProcess; }
  void SetFilesToProcess(std::vector<std::string> list);
  void AddFileToProcess(const std::string& name) { FFilesToProcess.push_back(name); }
  int64_t Offset = 0;
  // AddFiles: the file the new file begins with, zero-padded to Offset, where the archive
  // starts (a setup file's stub); none when empty.
  std::string PrefixFile;
  TOverwriteType Overwrite = owAlways;
  TNotifyEvent OnAborted;
  TlzhFileStatsEvent OnAfterAdding;
  TlzhFileStatsEvent OnBeforeAdding;
  TlzhFileStatsEvent OnAfterExtracting;  // kept for the forms; extraction reports through OnStatus
  TlzhFileStatsEvent OnBeforeExtracting;
  TNotifyEvent OnFullDisk;
  TlzhFileStatsEvent OnListing;
  TlzhNewDiskEvent OnNewDisk;
  TlzhFileStatsEvent OnReplace;
  TlzhFileStatsEvent OnStatus;
  TLZHErrorEvent OnError;

  // The folder no member may leave through a link (a junction, a symbolic link): once a
  // member's temporary file is open its real location must lie below this folder's real
  // location, or the member is refused like a target that cannot be created
  // (fsys::kLeadsOutside), and no folder is made for it outside. The folder itself may be
  // a link. Empty: no such check; a member's own name is never followed (a link there is
  // replaced, not written through), so extraction into one folder needs none.
  std::string DestinationRoot;

  // Run-time state a handler of OnBeforeExtracting or OnReplace may set.
  std::string CurrentTargetName;
  bool SkipCurrentFile = false;
  // Set by a handler (or the engine) to refuse the current member: it is reported as a
  // target that cannot be created, under RefusedPath when one is given, and nothing is written.
  void RefuseCurrentFile(const std::string& wouldBePath = {});

  void ReadHeaders();
  int GetFileCount();
  void ListFiles();
  void ExtractFiles();
  // Writes a new single-file archive at Offset of CompressedFile, after PrefixFile, holding the
  // items in order, through a temporary file so that a failure leaves no partial archive. Raises
  // EQuillCompress; a failing member fails the run as it would packed one after the other.
  void AddFiles(const std::vector<TPackItem>& items);
  // The fallback when OnFullDisk is not assigned raises EqcDiskFull.
  virtual void DiskFull();
  void OpenDiskFile(int diskNumber, std::string& fileName, TFileMode mode);

  bool HeadersLoaded() const { return FHeadersLoaded; }
  TFileHeaders& Headers() { return *FHeaders; }
  const TlzhFileStats& FileStats() const { return Stats; }

 private:
  void LoadHeadersIfNeeded();
  bool OpenIfPresent(const std::string& fileName, TFileMode mode);
  void FillFileStats(const TFileHeader& entry);
  void ExtractOne(const std::string& request);
  void ReportCreateFailure(const std::string& target, int errorCode);
  // 0 when path, or the deepest part of it that exists, really lies in DestinationRoot.
  int CheckInside(std::string path);
  // Folders, then the member's temporary file: 0, or the code for why it cannot be written.
  int OpenOutput(const std::string& target, TReplacement& output);
  void InflateMember(fsys::TFile& output);
  void WriteBlock(fsys::TFile& output, const uint8_t* block, size_t n);

  std::string FCompressedFile;
  std::vector<std::string> FFilesToProcess;
  bool FHeadersLoaded = false;
  std::unique_ptr<TFileHeaders> FHeaders;
  const TFileHeader* CurrentHeader = nullptr;
  int CurrentDisk = 0;
  std::unique_ptr<TCodecFileStream> ArchiveStream;
  std::string FRealRoot;  // DestinationRoot resolved, once per run
  bool FRefused = false;
  std::string RefusedPath;
  TlzhFileStats Stats;
};
