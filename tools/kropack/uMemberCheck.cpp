#include "uMemberCheck.h"

#include <zlib.h>

#include <memory>
#include <optional>

#include "uFileSys.h"
#include "uPaths.h"

namespace {

constexpr size_t kChunk = 65'536;

// The member's compressed bytes, disk after disk, bounded as the engine bounds them: from
// DataPosition on the first disk, whole middle disks, up to LastByte on the last.
class TMemberInput {
 public:
  TMemberInput(const std::string& archive, bool spanned, int64_t offset, const TFileHeader& entry)
      : Archive(archive), Spanned(spanned), Offset(offset), Entry(entry), Disk(entry.FirstDisk()) {}

  // Opens the first disk; the problem when the data cannot be there.
  std::optional<std::string> Start() {
    if (Entry.LastDisk() < Entry.FirstDisk()) return "its last disk comes before its first";
    if (Entry.DataPosition() < 0) return "the member's data lies outside the archive";
    return Open(DiskFile(Disk == 0 ? 1 : Disk), Offset + Entry.DataPosition());
  }

  // Up to kChunk bytes; 0 at the end of the member's data, -1 with Problem set on failure.
  int64_t Read(uint8_t* buffer) {
    while (Left == 0) {
      if (Disk >= Entry.LastDisk()) return 0;
      ++Disk;
      if (auto problem = Open(DiskFile(Disk), 0)) {
        Problem = *problem;
        return -1;
      }
    }
    int64_t n = File.Read(buffer, static_cast<size_t>(std::min<int64_t>(Left, kChunk)));
    if (n <= 0) {
      Problem = "cannot read the member's data";
      return -1;
    }
    Left -= n;
    return n;
  }

  std::string Problem;

 private:
  std::string DiskFile(int n) const {
    if (!Spanned) return Archive;
    // Appended, not "." + number: GCC 12 misreads the prepending operator+ as an overlapping
    // copy (-Wrestrict) once it inlines it.
    std::string ext = ".";
    ext += std::to_string(n);
    return ChangeFileExt(Archive, ext);
  }

  std::optional<std::string> Open(const std::string& path, int64_t from) {
    File = fsys::TFile::OpenRead(path);
    if (!File.IsOpen()) return "cannot open the disk file " + path;
    int64_t end = Disk == Entry.LastDisk() ? Offset + Entry.LastByte() + 1 : File.Size();
    if (end < from || end > File.Size() || !File.Seek(from))
      return "the member's data lies outside the archive";
    Left = end - from;
    return std::nullopt;
  }

  const std::string& Archive;
  const bool Spanned;
  const int64_t Offset;
  const TFileHeader& Entry;
  int Disk;
  fsys::TFile File;
  int64_t Left = 0;
};

TMemberCheck Fail(std::string problem, const z_stream& zs) {
  TMemberCheck result;
  result.Problem = std::move(problem);
  result.Inflated = static_cast<int64_t>(zs.total_out);
  return result;
}

}  // namespace

TMemberCheck CheckMember(const std::string& archive, bool spanned, int64_t offset,
                         const TFileHeader& entry, const std::function<void(int64_t)>& progress) {
  z_stream zs{};
  const int64_t size = entry.FileSize();
  if (size < 0) return Fail("negative size " + std::to_string(size), zs);
  TMemberInput input(archive, spanned, offset, entry);
  if (auto problem = input.Start()) return Fail(*problem, zs);

  if (inflateInit(&zs) != Z_OK) return Fail("zlib cannot start", zs);
  struct End {
    z_stream& zs;
    ~End() { inflateEnd(&zs); }
  } end{zs};
  auto in = std::make_unique<uint8_t[]>(kChunk);
  auto out = std::make_unique<uint8_t[]>(kChunk);
  uint32_t adler = adler32(0, nullptr, 0);
  int64_t produced = 0;
  int result = Z_OK;
  while (result != Z_STREAM_END) {
    if (zs.avail_in == 0) {
      int64_t n = input.Read(in.get());
      if (n < 0) return Fail(input.Problem, zs);
      if (n == 0) return Fail("the data ends inside its zlib stream", zs);
      zs.next_in = in.get();
      zs.avail_in = static_cast<uInt>(n);
    }
    zs.next_out = out.get();
    zs.avail_out = kChunk;
    result = inflate(&zs, Z_NO_FLUSH);
    // A preset dictionary is never supplied, and a stream that cannot move on would spin.
    if (result == Z_NEED_DICT || (result < 0 && result != Z_BUF_ERROR) ||
        (result == Z_BUF_ERROR && zs.avail_in > 0))
      return Fail(std::string("corrupt data (") + (zs.msg ? zs.msg : "zlib error") + ")", zs);
    size_t have = kChunk - zs.avail_out;
    produced += static_cast<int64_t>(have);
    if (produced > size)
      return Fail("inflates to more than its size of " + std::to_string(size) + " bytes", zs);
    adler = adler32(adler, out.get(), static_cast<uInt>(have));
    if (progress && have > 0) progress(static_cast<int64_t>(have));
  }
  if (produced != size)
    return Fail(
        "inflates to " + std::to_string(produced) + " bytes instead of " + std::to_string(size),
        zs);
  TMemberCheck ok;
  ok.Ok = true;
  ok.Adler = adler;
  ok.Inflated = produced;
  return ok;
}
