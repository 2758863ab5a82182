// The writing side of TQuillCompress: the single-file layout, every member one zlib stream.
// Kept apart so that programs which only extract carry none of the deflate code.
#include <zlib.h>

#include <cstring>
#include <limits>

#include "class_Compress.h"
#include "uText.h"

namespace {

constexpr size_t kChunk = 65'536;
constexpr int64_t kMaxArchive = std::numeric_limits<int32_t>::max();

void PutInt32(uint8_t* p, int64_t value) {
  auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

int ZlibLevel(TCompressionLevel level) {
  switch (level) {
    case clNone:
      return Z_NO_COMPRESSION;
    case clFastest:
      return Z_BEST_SPEED;
    case clDefault:
      return Z_DEFAULT_COMPRESSION;
    case clMax:
      break;
  }
  return Z_BEST_COMPRESSION;
}

std::string StoredName(const std::string& name) {
  auto raw = TryUtf8ToCp1252(name);
  if (!raw)
    throw EQuillCompress(Format("The name <%s> cannot be stored in code page 1252", {name}));
  if (raw->size() > static_cast<size_t>(kMaxFileName))
    throw EQuillCompress(Format("The name <%s> is longer than 100 characters", {name}));
  if (TrimControls(*raw).empty()) throw EQuillCompress("Tried to add an invalid file header");
  return *raw;
}

void WriteAll(fsys::TFile& out, const void* data, size_t n) {
  if (out.Write(data, n) != static_cast<int64_t>(n)) throw EqcDiskFull();
}

// Deflates the whole source into out; returns the compressed size. Sizes are checked as they
// grow so that no field of the record can overflow.
int64_t DeflateFile(fsys::TFile& source, fsys::TFile& out, int level, int64_t room,
                    int64_t& inflatedSize, const std::string& name) {
  z_stream zs{};
  if (deflateInit2(&zs, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw Exception("error");
  struct End {
    z_stream& zs;
    ~End() { deflateEnd(&zs); }
  } end{zs};
  auto in = std::make_unique<uint8_t[]>(kChunk);
  auto buf = std::make_unique<uint8_t[]>(kChunk);
  int64_t written = 0;
  inflatedSize = 0;
  int flush = Z_NO_FLUSH;
  do {
    int64_t n = source.Read(in.get(), kChunk);
    if (n < 0) throw EQuillCompress(Format("Cannot read the file %s", {name}));
    inflatedSize += n;
    if (inflatedSize > std::numeric_limits<int32_t>::max())
      throw EQuillCompress(Format("The file %s is larger than 2 GB", {name}));
    flush = n < static_cast<int64_t>(kChunk) ? Z_FINISH : Z_NO_FLUSH;
    zs.next_in = in.get();
    zs.avail_in = static_cast<uInt>(n);
    do {
      zs.next_out = buf.get();
      zs.avail_out = kChunk;
      if (deflate(&zs, flush) == Z_STREAM_ERROR) throw Exception("error");
      size_t have = kChunk - zs.avail_out;
      written += static_cast<int64_t>(have);
      if (written > room) throw EQuillCompress("The archive would be larger than 2 GB");
      WriteAll(out, buf.get(), have);
    } while (zs.avail_out == 0);
  } while (flush != Z_FINISH);
  return written;
}

}  // namespace

void TQuillCompress::AddFiles(const std::vector<TPackItem>& items) {
  // Every name is checked before a byte is written.
  std::vector<std::string> names;
  for (const auto& item : items) names.push_back(StoredName(item.StoredName));

  const std::string temp = FCompressedFile + ".~kro";
  int error = 0;
  fsys::TFile out = fsys::TFile::Create(temp, &error);
  if (!out.IsOpen()) throw EQuillCompress(Format("Cannot create the file %s", {FCompressedFile}));
  try {
    uint8_t prologue[kPrologueSize] = {};
    PutInt32(prologue, static_cast<int64_t>(items.size()));
    WriteAll(out, prologue, sizeof prologue);
    int64_t position = kPrologueSize;
    Stats = {};
    for (size_t k = 0; k < items.size(); ++k) {
      if (Abort) throw EqcAborted();
      fsys::TFile source = fsys::TFile::OpenRead(items[k].SourcePath);
      if (!source.IsOpen())
        throw EQuillCompress(Format("Cannot open the file %s", {items[k].SourcePath}));
      Stats.FileName = items[k].StoredName;
      Stats.FileSize = static_cast<int32_t>(std::min<int64_t>(source.Size(), INT32_MAX));
      Stats.FileBytesDone = 0;
      Stats.FileDone = 0;
      if (OnBeforeAdding) OnBeforeAdding(*this, Stats);

      const int64_t data = position + kHeaderSize;
      if (!out.Seek(data)) throw EqcDiskFull();
      int64_t size = 0;
      int64_t compressed = DeflateFile(source, out, ZlibLevel(CompressionLevel), kMaxArchive - data,
                                       size, items[k].StoredName);
      THeaderRecord& r = Stats.Header;
      r.fill(0);
      PutInt32(&r[0], static_cast<int64_t>(k) + 1);
      std::memcpy(&r[4], &items[k].FileDate, sizeof(double));
      PutInt32(&r[13], data + compressed - 1);
      r[17] = static_cast<uint8_t>(names[k].size());
      std::memcpy(&r[18], names[k].data(), names[k].size());
      PutInt32(&r[118], data + compressed);
      PutInt32(&r[122], size);
      PutInt32(&r[126], data);
      PutInt32(&r[130], compressed);
      if (!out.Seek(position)) throw EqcDiskFull();
      WriteAll(out, r.data(), r.size());
      position = data + compressed;
      if (!out.Seek(position)) throw EqcDiskFull();

      Stats.FileSize = static_cast<int32_t>(size);
      Stats.FileBytesDone = static_cast<int32_t>(size);
      Stats.CompressedSize = static_cast<int32_t>(compressed);
      Stats.Ratio = PercentOf(compressed, size);
      Stats.FilePercent = 100;
      Stats.FileDone = 1;
      Stats.TotalSize += size;
      Stats.TotalBytesDone += size;
      Stats.TotalCompressedSize += compressed;
      if (OnAfterAdding) OnAfterAdding(*this, Stats);
    }
    out.Close();
  } catch (...) {
    out.Close();
    fsys::RemoveFile(temp);
    throw;
  }
  if (!fsys::RenameOver(temp, FCompressedFile, &error)) {
    fsys::RemoveFile(temp);
    throw EQuillCompress(Format("Cannot create the file %s", {FCompressedFile}));
  }
  FHeadersLoaded = false;
}
