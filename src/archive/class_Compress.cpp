#include "class_Compress.h"

#include <cstring>

#include "uArchiveHooks.h"
#include "uDates.h"
#include "uInflate.h"
#include "uPaths.h"
#include "uReplaceFile.h"
#include "uText.h"

namespace {

constexpr const char* kHeadersUnreadable =
    "Could not read the file headers for the compressed file. The Archive file could possible "
    "be corrupt";
constexpr const char* kCannotOpen = "Cannot open the compressed file %s";
constexpr const char* kSizeMismatch =
    "The decompressed file's size does not match with the actual size of the file.  The file "
    "is %s";
constexpr size_t kBlockSize = 4'096;

int32_t ReadInt32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

uint8_t PercentOf(int64_t part, int64_t whole) {
  // Exactly, in integers: in floating point 109 / 200 x 100 came out above 54.5 and gave 55.
  if (part == 0 || whole == 0 || (part < 0) != (whole < 0)) return 0;
  auto magnitude = [](int64_t x) { return x < 0 ? 0 - static_cast<uint64_t>(x) : uint64_t(x); };
  const uint64_t w = magnitude(whole);
  const uint64_t q = magnitude(part) / w;
  uint64_t r = magnitude(part) % w;
  if (q > 2) return 0;
  unsigned percent = static_cast<unsigned>(q) * 100;
  // Two decimal digits of r / w; 10 x r is summed modulo w, so nothing can overflow.
  for (unsigned scale : {10u, 1u}) {
    uint64_t next = 0;
    for (int i = 0; i < 10; ++i) {
      if (next >= w - r) {
        next -= w - r;
        percent += scale;
      } else {
        next += r;
      }
    }
    r = next;
  }
  // What is left decides: above a half up, a half to the even neighbour.
  if (r > w - r || (r == w - r && percent % 2)) ++percent;
  return percent < 256 ? static_cast<uint8_t>(percent) : 0;
}

// --- TFileHeader -----------------------------------------------------------------------------

int32_t TFileHeader::Int(int at) const { return ReadInt32(Record.data() + at); }

double TFileHeader::FileDate() const {
  double value;
  std::memcpy(&value, Record.data() + rec::kFileDate, sizeof value);
  return value;
}

std::string_view TFileHeader::StoredName() const {
  return {reinterpret_cast<const char*>(Record.data() + rec::kFileName),
          std::min<size_t>(Record[rec::kNameLength], kMaxFileName)};
}

std::string TFileHeader::FileName() const { return Cp1252ToUtf8(StoredName()); }

bool TFileHeader::IsValid() const { return !TrimControls(StoredName()).empty(); }

// --- TFileHeaders ----------------------------------------------------------------------------

TFileHeader& TFileHeaders::GetFileHeaders(int index) const {
  if (index < 0 || index >= Count())
    throw EQuillCompress(Format("%d is an invalid TFileHeader index in TFileHeaders.GetFileHeaders",
                                {std::to_string(index)}));
  return *Items[index];
}

void TFileHeaders::Add(std::unique_ptr<TFileHeader> entry) {
  if (!entry->IsValid()) throw EQuillCompress("Tried to add an invalid file header");
  Items.push_back(std::move(entry));
}

int TFileHeaders::IndexOfFile(const std::string& request) const {
  // Compared as stored, in code page 1252: the conversion is one to one, and converting every
  // name for every request made a large package quadratic in allocations.
  auto key = TryUtf8ToCp1252(request.substr(0, request.find(';')));
  if (!key) return -1;
  for (int i = 0; i < Count(); ++i)
    if (SameTextAZ(Items[i]->StoredName(), *key)) return i;
  return -1;
}

void TFileHeaders::ReadDirectory(TCodecFileStream& stream, int64_t offset) {
  Clear();
  uint8_t prologue[kPrologueSize];
  if (!stream.Seek(offset) || stream.Read(prologue, 4) != 4 || stream.Read(prologue + 4, 1) != 1)
    throw EQuillCompress("Could not read the file header count for the compressed file");
  int32_t count = ReadInt32(prologue);
  FSpanned = prologue[4] != 0;
  // Records never overlap in a sound archive, so the file bounds how many there can be; a
  // larger count (or records chained in a circle) fails instead of filling memory.
  int64_t capacity = std::max<int64_t>(0, (stream.Size() - offset - kPrologueSize) / kHeaderSize);
  // Records mostly follow one another, so they are read 64 at a time: a read for each cost
  // more than taking it apart. A ciphered stream keys each read from its start, so it is read
  // a record at a time.
  uint8_t buffer[64 * kHeaderSize];
  const size_t window = stream.Codec == 1 || stream.Codec == 2 ? kHeaderSize : sizeof buffer;
  int64_t from = 0, got = 0;  // the buffer holds the stream's bytes from `from` on
  int64_t p = offset + kPrologueSize;
  for (int32_t i = 0; i < count; ++i) {
    if (i >= capacity) throw EQuillCompress(kHeadersUnreadable);
    if (p < from || p + kHeaderSize > from + got) {
      from = p;
      got = stream.Seek(p) ? stream.Read(buffer, window) : 0;
      if (got < kHeaderSize) throw EQuillCompress(kHeadersUnreadable);
    }
    auto entry = std::make_unique<TFileHeader>(Owner);
    std::memcpy(entry->Record.data(), buffer + (p - from), kHeaderSize);
    p = offset + entry->NextHeader();
    Add(std::move(entry));
  }
}

void TFileHeaders::InitTotals(TlzhFileStats& stats) const {
  stats.TotalBytesDone = 0;
  stats.TotalPercent = 0;
  stats.FileDone = 0;
  ComputeTotals(stats);
  stats.TotalRatio = PercentOf(stats.TotalCompressedSize, stats.TotalSize);
}

void TFileHeaders::ComputeTotals(TlzhFileStats& stats) const {
  stats.TotalCompressedSize = 0;
  stats.TotalSize = 0;
  for (const auto& item : Items) {
    stats.TotalSize += item->FileSize();
    stats.TotalCompressedSize += item->CompressedSize();
  }
}

// --- TQuillCompress --------------------------------------------------------------------------

TQuillCompress::TQuillCompress() : FHeaders(std::make_unique<TFileHeaders>(this)) {}

TQuillCompress::~TQuillCompress() = default;

void TQuillCompress::SetCompressedFile(const std::string& value) {
  if (SameTextAZ(value, FCompressedFile)) return;
  // Disk files of one spanned set share their directory.
  if (FHeadersLoaded &&
      !SameTextAZ(ChangeFileExt(value, ".1"), ChangeFileExt(FCompressedFile, ".1")))
    FHeadersLoaded = false;
  FCompressedFile = value;
}

void TQuillCompress::SetFilesToProcess(std::vector<std::string> list) {
  std::erase_if(list, [](const std::string& line) { return TrimControls(line).empty(); });
  FFilesToProcess = std::move(list);
}

void TQuillCompress::RefuseCurrentFile(const std::string& wouldBePath) {
  FRefused = true;
  RefusedPath = wouldBePath;
}

void TQuillCompress::ReadHeaders() {
  FHeadersLoaded = false;
  if (!fsys::FileExists(FCompressedFile))
    throw EQuillCompress(Format(kCannotOpen, {FCompressedFile}));
  TCodecFileStream stream(FCompressedFile, fmOpenRead, 0, "");
  try {
    FHeaders->ReadDirectory(stream, Offset);
  } catch (const std::exception&) {
    throw EQuillCompress(kHeadersUnreadable);
  }
  FHeadersLoaded = true;
}

void TQuillCompress::LoadHeadersIfNeeded() {
  if (!FHeadersLoaded) ReadHeaders();
}

int TQuillCompress::GetFileCount() {
  LoadHeadersIfNeeded();
  return FHeaders->Count();
}

void TQuillCompress::ListFiles() {
  LoadHeadersIfNeeded();
  FHeaders->InitTotals(Stats);
  for (int i = 0; i < FHeaders->Count(); ++i) {
    FillFileStats(FHeaders->GetFileHeaders(i));
    if (OnListing) OnListing(*this, Stats);
  }
}

void TQuillCompress::FillFileStats(const TFileHeader& entry) {
  Stats.FileName = entry.FileName();
  Stats.FileSize = entry.FileSize();
  Stats.CompressedSize = entry.CompressedSize();
  Stats.FileBytesDone = 0;
  Stats.FilePercent = 0;
  Stats.FileDone = 0;
  Stats.Ratio = PercentOf(entry.CompressedSize(), entry.FileSize());
  Stats.Header = entry.Record;
}

void TQuillCompress::OpenDiskFile(int diskNumber, std::string& fileName, TFileMode mode) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    ArchiveStream.reset();
    if (FHeaders->Spanned()) {
      std::string ext(1, '.');  // built in two steps: g++ 12 -O2 warns wrongly on "." + string
      ext += std::to_string(diskNumber);
      fileName = ChangeFileExt(fileName, ext);
    }
    if (OpenIfPresent(fileName, mode)) return;
    if (!OnNewDisk)
      throw EQuillCompress(
          Format("Could not open the correct disk file %d", {std::to_string(diskNumber)}));
    std::string path = FolderPart(fileName);
    if (!path.empty() && fsys::IsPathDelim(path.back())) path.pop_back();
    OnNewDisk(*this, diskNumber, path);
    fileName = IncludeTrailingDelimiter(path) + LastComponent(fileName);
    if (OpenIfPresent(fileName, mode)) return;
  }
  throw EQuillCompress(Format(kCannotOpen, {fileName}));
}

bool TQuillCompress::OpenIfPresent(const std::string& fileName, TFileMode mode) {
  // Opening is the existence test; only a failure needs a closer look (a round trip saved
  // per member, which counts under emulation).
  try {
    ArchiveStream = std::make_unique<TCodecFileStream>(fileName, mode, 0, "");
    return true;
  } catch (const EQuillCompress&) {
    if (fsys::FileExists(fileName)) throw;  // there, but cannot be opened
    return false;
  }
}

void TQuillCompress::DiskFull() {
  if (!OnFullDisk) throw EqcDiskFull();
  OnFullDisk(*this);
}

void TQuillCompress::ReportCreateFailure(const std::string& target, int errorCode) {
  if (OnError)
    OnError(*this, target, errorCode);
  else
    ArchiveHooks().ShowMessage(
        Format("Datei %s kann nicht erzeugt werden! Fehler=%d", {target, "-1"}));
}

int TQuillCompress::CheckInside(std::string path) {
  if (DestinationRoot.empty()) return 0;
  int error = 0;
  if (FRealRoot.empty()) {
    // A code of 0 here leaves the member's own folders to fail with theirs.
    if (!fsys::ForceDirectories(DestinationRoot, &error)) return error;
    fsys::RealPath(DestinationRoot, FRealRoot);
  }
  // The deepest part that exists decides: what is missing is made below it. An empty folder
  // (a bare target name) is the destination itself.
  std::string real;
  while (!fsys::RealPath(path.empty() ? DestinationRoot : path, real) && !path.empty())
    path = FolderPart(std::string_view(path).substr(0, path.size() - 1));
  return !FRealRoot.empty() && IsWithinFolder(real, FRealRoot) ? 0 : fsys::kLeadsOutside;
}

int TQuillCompress::OpenOutput(const std::string& target, TReplacement& output) {
  int error = 0;
  const std::string folder = FolderPart(target);
  if (int outside = CheckInside(folder)) return outside;
  // Without a code the temporary file's own failure tells why.
  if (!fsys::ForceDirectories(folder, &error) && error) return error;
  // A target in use or read-only is found out here, before the member is inflated.
  if (int failed = output.Open(target)) return failed;
  // Whatever the folders turned into meanwhile, where the file was made decides.
  return CheckInside(output.TempPath());
}

void TQuillCompress::ExtractFiles() {
  Abort = false;
  ArchiveStream.reset();
  FRealRoot.clear();
  auto finish = [this] {
    ArchiveStream.reset();
    FFilesToProcess.clear();
    CurrentTargetName.clear();
  };
  try {
    LoadHeadersIfNeeded();
    CurrentDisk = 0;
    FHeaders->InitTotals(Stats);
    FHeaders->ComputeTotals(Stats);
    const std::vector<std::string> lines = FFilesToProcess;
    for (const std::string& line : lines) ExtractOne(line);
  } catch (const EqcAborted&) {
    finish();
    if (OnAborted) OnAborted(*this);
    return;
  } catch (const EAbort&) {
    finish();
    return;
  } catch (...) {
    finish();
    Abort = true;
    throw;
  }
  finish();
}

void TQuillCompress::ExtractOne(const std::string& request) {
  SkipCurrentFile = false;
  FRefused = false;
  RefusedPath.clear();
  int index = FHeaders->IndexOfFile(request);
  if (index < 0)
    throw EQuillCompress(
        Format("The file <%s> was not found in the archive <%s>", {request, FCompressedFile}));
  CurrentHeader = &FHeaders->GetFileHeaders(index);
  FillFileStats(*CurrentHeader);
  if (TrimControls(CurrentTargetName).empty()) CurrentTargetName = LastComponent(Stats.FileName);
  if (OnBeforeExtracting) OnBeforeExtracting(*this, Stats);

  auto computeTarget = [this] {
    CurrentTargetName = LastComponent(CurrentTargetName);
    // The flat rule keeps only the last component; it must still name a plain file.
    if (!IsSafeComponent(CurrentTargetName)) FRefused = true;
    return IncludeTrailingDelimiter(ExtractDirectory) + CurrentTargetName;
  };
  std::string target = computeTarget();
  if (!FRefused && OnReplace && fsys::FileExists(target)) {
    OnReplace(*this, Stats);
    target = computeTarget();
  }
  auto memberDone = [this] { CurrentTargetName.clear(); };
  if (SkipCurrentFile) {
    Stats.FileDone = 1;
    if (OnStatus) OnStatus(*this, Stats);
    return memberDone();
  }
  if (FRefused) {
    ReportCreateFailure(RefusedPath.empty() ? target : RefusedPath, fsys::InvalidNameError());
    return memberDone();
  }

  OpenDiskFile(CurrentHeader->FirstDisk() == 0 ? 1 : CurrentHeader->FirstDisk(), FCompressedFile,
               fmOpenRead);
  CurrentDisk = CurrentHeader->FirstDisk();

  TReplacement output;
  if (int failed = OpenOutput(target, output)) {
    ArchiveStream.reset();
    ReportCreateFailure(target, failed);
    return memberDone();
  }
  InflateMember(output.File());
  Stats.FileDone = 1;
  if (OnStatus) OnStatus(*this, Stats);
  // The file is new, so what was written is its size.
  if (Stats.FileBytesDone != CurrentHeader->FileSize())
    throw EQuillCompress(Format(kSizeMismatch, {Stats.FileName}));
  uint16_t dosDate, dosTime;
  DateTimeToDos(CurrentHeader->FileDate(), dosDate, dosTime);
  if (!ArchiveHooks().SetFileDate(output.File(), dosDate, dosTime))
    throw EQuillCompress("Cannot set the date of the file just extracted.");
  ArchiveStream.reset();
  // Another program may have opened the target since it was probed; it then keeps its content.
  if (int failed = output.Commit()) ReportCreateFailure(target, failed);
  memberDone();
}

void TQuillCompress::InflateMember(fsys::TFile& output) {
  const int lastDisk = CurrentHeader->LastDisk();
  const int64_t lastByte = Offset + CurrentHeader->LastByte();
  // Data that cannot be reached reads as none: the stream then never ends.
  int64_t position = Offset + CurrentHeader->DataPosition();
  bool inputOpen = ArchiveStream->Seek(position);
  // The member's bytes on the current disk, up to its last one on the last disk.
  TInflater inflater([&](uint8_t* data, size_t capacity) -> size_t {
    int64_t want = inputOpen && CurrentDisk <= lastDisk ? static_cast<int64_t>(capacity) : 0;
    if (CurrentDisk == lastDisk) want = std::min<int64_t>(want, lastByte - position + 1);
    int64_t n = want > 0 ? ArchiveStream->Read(data, static_cast<size_t>(want)) : 0;
    if (n <= 0) return 0;
    position += n;
    return static_cast<size_t>(n);
  });
  // A disk's last bytes give a short block of their own; an empty one moves to the next disk.
  uint8_t block[kBlockSize];
  for (;;) {
    size_t n = inflater.Read(block, kBlockSize);
    if (Abort) throw EqcAborted();
    ArchiveHooks().ProcessMessages();
    if (n > 0) {
      WriteBlock(output, block, n);
    } else if (inflater.Ended() || CurrentDisk >= lastDisk) {
      break;
    } else {
      ++CurrentDisk;
      OpenDiskFile(CurrentDisk, FCompressedFile, fmOpenRead);
      position = 0;
      inputOpen = ArchiveStream->Seek(0);
    }
  }
  // The Adler-32 trailer is the member's only check: data that ends before it is corrupt,
  // whatever size came out.
  inflater.Finish();
}

void TQuillCompress::WriteBlock(fsys::TFile& output, const uint8_t* block, size_t n) {
  // Never more than the member claims: a stream that inflates further is corrupt (or a bomb).
  if (static_cast<int64_t>(Stats.FileBytesDone) + static_cast<int64_t>(n) > Stats.FileSize)
    throw EQuillCompress(Format(kSizeMismatch, {Stats.FileName}));
  int64_t written = std::max<int64_t>(0, output.Write(block, n));
  if (written < static_cast<int64_t>(n)) DiskFull();
  Stats.FileBytesDone += static_cast<int32_t>(written);
  Stats.TotalBytesDone += written;
  Stats.FilePercent = PercentOf(Stats.FileBytesDone, Stats.FileSize);
  Stats.TotalPercent = PercentOf(Stats.TotalBytesDone, Stats.TotalSize);
  if (OnStatus) OnStatus(*this, Stats);
}
