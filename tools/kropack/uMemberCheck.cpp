#include "uMemberCheck.h"

#include <zlib.h>

#include <memory>

namespace {

constexpr size_t kChunk = 65'536;

TMemberCheck Fail(std::string problem, const z_stream& zs) {
  TMemberCheck result;
  result.Problem = std::move(problem);
  result.Inflated = static_cast<int64_t>(zs.total_out);
  return result;
}

}  // namespace

TMemberCheck CheckMember(fsys::TFile& archive, int64_t offset, const TFileHeader& entry,
                         const std::function<void(int64_t)>& progress) {
  z_stream zs{};
  if (entry.FirstDisk() != 0 || entry.LastDisk() != 0)
    return Fail("the member continues over disk files; only single-file archives are tested", zs);
  const int64_t size = entry.FileSize();
  const int64_t first = offset + entry.DataPosition();
  const int64_t last = offset + entry.LastByte();
  if (size < 0) return Fail("negative size " + std::to_string(size), zs);
  if (entry.DataPosition() < 0 || last < first || last >= archive.Size())
    return Fail("the member's data lies outside the archive", zs);
  if (!archive.Seek(first)) return Fail("cannot read the member's data", zs);

  if (inflateInit(&zs) != Z_OK) return Fail("zlib cannot start", zs);
  struct End {
    z_stream& zs;
    ~End() { inflateEnd(&zs); }
  } end{zs};
  auto in = std::make_unique<uint8_t[]>(kChunk);
  auto out = std::make_unique<uint8_t[]>(kChunk);
  uint32_t adler = adler32(0, nullptr, 0);
  int64_t left = last - first + 1;
  int64_t produced = 0;
  int result = Z_OK;
  while (result != Z_STREAM_END) {
    if (zs.avail_in == 0) {
      if (left == 0) return Fail("the data ends inside its zlib stream", zs);
      int64_t n = archive.Read(in.get(), static_cast<size_t>(std::min<int64_t>(left, kChunk)));
      if (n <= 0) return Fail("cannot read the member's data", zs);
      left -= n;
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
