// The writing side of TQuillCompress: the single-file layout, every member one zlib stream.
// Kept apart so that programs which only extract carry none of the deflate code.
//
// Members are deflated in pieces on worker threads and written by the calling thread, in
// member order.
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>

#include "class_Compress.h"
#include "uReplaceFile.h"
#include "uText.h"

namespace {

constexpr int64_t kMaxArchive = std::numeric_limits<int32_t>::max();
// A member is deflated in pieces of this much input, each on its own, so that a large member
// keeps every core busy. Where a member is cut depends on its size alone: the archive is the
// same at any number of threads.
constexpr int64_t kPiece = 1 << 20;
// Every piece but the first is primed with the input before it, as far back as deflate
// reaches, and the pieces join into one stream: cutting costs a few bytes a piece.
constexpr int64_t kWindow = 32'768;
// Deflated bytes that pieces ahead of the one being written may hold: per thread, so that
// more workers can run ahead, up to a ceiling that keeps a machine of many cores in bounds.
constexpr int64_t kBudgetPerThread = 16 << 20, kBudgetCeiling = 256 << 20;

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
      return 6;
    case clMax:
      break;
  }
  return Z_BEST_COMPRESSION;
}

// The two bytes zlib puts before a stream of this level with a 32 KiB window: the pieces are
// raw deflate, so the member's stream gets its header and trailer here.
std::array<uint8_t, 2> ZlibHeader(int level) {
  unsigned flags = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
  unsigned header = 0x7800 | flags << 6;
  header += 31 - header % 31;
  return {static_cast<uint8_t>(header >> 8), static_cast<uint8_t>(header)};
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

// Copies the file (if one is named) to out, then zeros up to `end`.
void WritePrefix(fsys::TFile& out, const std::string& path, int64_t end) {
  std::vector<uint8_t> buffer(65'536);
  int64_t done = 0;
  if (!path.empty()) {
    fsys::TFile in = fsys::TFile::OpenRead(path);
    if (!in.IsOpen()) throw EQuillCompress(Format("Cannot open the file %s", {path}));
    for (;;) {
      int64_t n = in.Read(buffer.data(), buffer.size());
      if (n < 0) throw EQuillCompress(Format("Cannot read the file %s", {path}));
      if (n == 0) break;
      done += n;
      if (done > end)
        throw EQuillCompress(Format("The file %s is larger than the %s bytes before the archive",
                                    {path, std::to_string(end)}));
      WriteAll(out, buffer.data(), static_cast<size_t>(n));
    }
  }
  std::fill(buffer.begin(), buffer.end(), 0);
  while (done < end) {
    auto n =
        static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(buffer.size()), end - done));
    WriteAll(out, buffer.data(), n);
    done += static_cast<int64_t>(n);
  }
}

// Why a worker could not deflate its piece. The writer raises the exception, in member order;
// workers build no messages, as the Windows build starts no function's statics safely on two
// threads at once.
enum class TFault { kNone, kOpen, kRead, kChanged, kInternal };

// One piece of a member: input [Start, Start + Size), the last one ending the stream.
struct TTask {
  size_t Member;
  int64_t Start, Size;
  bool Last;
};

struct TPiece {
  bool Done = false;
  TFault Fault = TFault::kNone;
  std::vector<uint8_t> Data;  // raw deflate, byte-aligned by a sync flush unless Last
  uLong Adler = 1;            // of the piece's input
};

// A raw deflate stream one worker keeps from piece to piece.
class TDeflater {
 public:
  explicit TDeflater(int level)
      : Ready(deflateInit2(&Zs, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK) {}
  ~TDeflater() {
    if (Ready) deflateEnd(&Zs);
  }
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;

  // Deflates in[0, n) as though `dict` bytes before it had just been deflated; false on a
  // fault of zlib's own.
  bool Run(const uint8_t* in, size_t dict, size_t n, bool last, std::vector<uint8_t>& out) {
    if (!Ready || deflateReset(&Zs) != Z_OK) return false;
    if (dict > 0 && deflateSetDictionary(&Zs, in, static_cast<uInt>(dict)) != Z_OK) return false;
    Zs.next_in = const_cast<uint8_t*>(in + dict);
    Zs.avail_in = static_cast<uInt>(n);
    // The bound leaves out the few bytes of a sync flush.
    out.resize(deflateBound(&Zs, static_cast<uLong>(n)) + 16);
    size_t used = 0;
    for (;;) {
      Zs.next_out = out.data() + used;
      Zs.avail_out = static_cast<uInt>(out.size() - used);
      int rc = deflate(&Zs, last ? Z_FINISH : Z_SYNC_FLUSH);
      used = out.size() - Zs.avail_out;
      if (rc == Z_STREAM_ERROR) return false;
      if (last ? rc == Z_STREAM_END : Zs.avail_out != 0) break;
      out.resize(2 * out.size());
    }
    out.resize(used);
    // What waits for the writer is held at its deflated size, as the budget counts it.
    out.shrink_to_fit();
    return true;
  }

 private:
  z_stream Zs{};
  const bool Ready;
};

// Deflates the pieces on worker threads and hands them to the writer in order, so that the
// archive does not depend on the number of threads. Pieces done ahead of the one being written
// wait in memory, and no worker takes up a new piece while they exceed the budget, unless it is
// the one the writer waits for: memory stays bounded however large the archive, and no one
// waits for ever.
class TDeflatePool {
 public:
  TDeflatePool(const std::vector<TPackItem>& items, const std::vector<TTask>& tasks, int level,
               int threads)
      : Items(items),
        Tasks(tasks),
        Level(level),
        Budget(std::min(kBudgetPerThread * threads, kBudgetCeiling)) {
    int workers = static_cast<int>(std::min<size_t>(static_cast<size_t>(threads), tasks.size()));
    for (int i = 0; i < workers; ++i) Workers.emplace_back([this] { Work(); });
  }
  ~TDeflatePool() {
    {
      std::lock_guard<std::mutex> hold(Lock);
      Stopping = true;
    }
    Changed.notify_all();
    for (auto& worker : Workers) worker.join();
  }
  TDeflatePool(const TDeflatePool&) = delete;
  TDeflatePool& operator=(const TDeflatePool&) = delete;

  // Piece t, the next in order, once it is deflated.
  TPiece Take(size_t t) {
    std::unique_lock<std::mutex> hold(Lock);
    Changed.wait(hold, [&] { return Head == t && !Pieces.empty() && Pieces.front().Done; });
    TPiece piece = std::move(Pieces.front());
    Pieces.pop_front();
    ++Head;
    Buffered -= static_cast<int64_t>(piece.Data.capacity());
    hold.unlock();
    Changed.notify_all();
    return piece;
  }

 private:
  void Work() {
    TDeflater packer(Level), storer(Z_NO_COMPRESSION);
    auto buffer = std::make_unique<uint8_t[]>(kWindow + kPiece + 1);
    for (;;) {
      size_t t;
      {
        std::unique_lock<std::mutex> hold(Lock);
        Changed.wait(hold, [&] {
          return Stopping || NextClaim >= Tasks.size() || NextClaim == Head || Buffered <= Budget;
        });
        if (Stopping || NextClaim >= Tasks.size()) return;
        t = NextClaim++;
        Pieces.emplace_back();
      }
      TPiece piece;
      try {
        piece = Deflate(Tasks[t], Items[Tasks[t].Member].Store ? storer : packer, buffer.get());
      } catch (...) {
        piece = {};
        piece.Fault = TFault::kInternal;
      }
      piece.Done = true;
      {
        std::lock_guard<std::mutex> hold(Lock);
        Buffered += static_cast<int64_t>(piece.Data.capacity());
        Pieces[t - Head] = std::move(piece);
      }
      Changed.notify_all();
    }
  }

  // Reads the piece, with the window before it unless it is stored, and deflates it.
  TPiece Deflate(const TTask& task, TDeflater& deflater, uint8_t* buffer) const {
    const TPackItem& item = Items[task.Member];
    TPiece piece;
    auto fail = [&](TFault fault) {
      piece.Fault = fault;
      return std::move(piece);
    };
    fsys::TFile source = fsys::TFile::OpenRead(item.SourcePath);
    if (!source.IsOpen()) return fail(TFault::kOpen);
    const int64_t from = item.Store ? task.Start : std::max<int64_t>(0, task.Start - kWindow);
    const auto dict = static_cast<size_t>(task.Start - from);
    if (from > 0 && !source.Seek(from)) return fail(TFault::kRead);
    // One byte more after the last piece tells a file that grew since its size was taken.
    const auto want = dict + static_cast<size_t>(task.Size);
    const int64_t got = source.Read(buffer, want + (task.Last ? 1 : 0));
    if (got < 0) return fail(TFault::kRead);
    if (got != static_cast<int64_t>(want)) return fail(TFault::kChanged);
    piece.Adler = adler32(1, buffer + dict, static_cast<uInt>(task.Size));
    if (!deflater.Run(buffer, dict, static_cast<size_t>(task.Size), task.Last, piece.Data))
      return fail(TFault::kInternal);
    return piece;
  }

  const std::vector<TPackItem>& Items;
  const std::vector<TTask>& Tasks;
  const int Level;
  std::mutex Lock;
  std::condition_variable Changed;
  std::deque<TPiece> Pieces;  // piece t in Pieces[t - Head], from the head to the last claimed
  size_t NextClaim = 0, Head = 0;
  int64_t Buffered = 0;
  const int64_t Budget;
  bool Stopping = false;
  std::vector<std::thread> Workers;
};

}  // namespace

void TQuillCompress::AddFiles(const std::vector<TPackItem>& items) {
  // Every name is checked before a byte is written.
  std::vector<std::string> names;
  for (const auto& item : items) names.push_back(StoredName(item.StoredName));
  // The pieces follow from the sizes; a member that cannot be sized or is too large has none,
  // and stops the run when the writer comes to it.
  std::vector<std::optional<int64_t>> sizes;
  std::vector<TTask> tasks;
  std::vector<size_t> firstTask;
  for (size_t k = 0; k < items.size(); ++k) {
    sizes.push_back(fsys::FileSize(items[k].SourcePath));
    firstTask.push_back(tasks.size());
    if (!sizes[k] || *sizes[k] > std::numeric_limits<int32_t>::max()) continue;
    for (int64_t start = 0;; start += kPiece) {
      int64_t n = std::min(kPiece, *sizes[k] - start);
      tasks.push_back({k, start, n, start + n == *sizes[k]});
      if (tasks.back().Last) break;
    }
  }
  firstTask.push_back(tasks.size());

  // A user's file at the temporary name is never touched; an old archive gives way only
  // to a complete new one.
  TReplacement target;
  if (target.Open(FCompressedFile) != 0)
    throw EQuillCompress(Format("Cannot create the file %s", {FCompressedFile}));
  fsys::TFile& out = target.File();
  WritePrefix(out, PrefixFile, Offset);
  uint8_t prologue[kPrologueSize] = {};
  PutInt32(prologue, static_cast<int64_t>(items.size()));
  WriteAll(out, prologue, sizeof prologue);
  int64_t position = kPrologueSize;
  Stats = {};
  const int level = ZlibLevel(CompressionLevel);
  TDeflatePool pool(items, tasks, level, std::max(1, Threads));
  for (size_t k = 0; k < items.size(); ++k) {
    if (Abort) throw EqcAborted();
    const std::string& name = items[k].StoredName;
    if (!sizes[k]) throw EQuillCompress(Format("Cannot open the file %s", {items[k].SourcePath}));
    if (*sizes[k] > std::numeric_limits<int32_t>::max())
      throw EQuillCompress(Format("The file %s is larger than 2 GB", {name}));
    const int64_t size = *sizes[k];
    Stats.FileName = name;
    Stats.FileSize = static_cast<int32_t>(size);
    Stats.FileBytesDone = 0;
    Stats.FileDone = 0;
    if (OnBeforeAdding) OnBeforeAdding(*this, Stats);

    const int64_t data = position + kHeaderSize;
    if (!out.Seek(Offset + data)) throw EqcDiskFull();
    int64_t compressed = 0;
    auto put = [&](const uint8_t* bytes, size_t n) {
      compressed += static_cast<int64_t>(n);
      if (compressed > kMaxArchive - data)
        throw EQuillCompress("The archive would be larger than 2 GB");
      WriteAll(out, bytes, n);
    };
    const auto header = ZlibHeader(items[k].Store ? Z_NO_COMPRESSION : level);
    put(header.data(), header.size());
    uLong adler = 1;
    for (size_t t = firstTask[k]; t < firstTask[k + 1]; ++t) {
      TPiece piece = pool.Take(t);
      switch (piece.Fault) {
        case TFault::kNone:
          break;
        case TFault::kOpen:
          throw EQuillCompress(Format("Cannot open the file %s", {items[k].SourcePath}));
        case TFault::kRead:
          throw EQuillCompress(Format("Cannot read the file %s", {name}));
        case TFault::kChanged:
          throw EQuillCompress(Format("The file %s changed while it was packed", {name}));
        case TFault::kInternal:
          throw Exception("error");
      }
      put(piece.Data.data(), piece.Data.size());
      adler = adler32_combine(adler, piece.Adler, static_cast<z_off_t>(tasks[t].Size));
    }
    const uint8_t trailer[4] = {static_cast<uint8_t>(adler >> 24),
                                static_cast<uint8_t>(adler >> 16), static_cast<uint8_t>(adler >> 8),
                                static_cast<uint8_t>(adler)};
    put(trailer, sizeof trailer);

    THeaderRecord& r = Stats.Header;
    r.fill(0);
    PutInt32(&r[rec::kFileNumber], static_cast<int64_t>(k) + 1);
    std::memcpy(&r[rec::kFileDate], &items[k].FileDate, sizeof(double));
    PutInt32(&r[rec::kLastByte], data + compressed - 1);
    r[rec::kNameLength] = static_cast<uint8_t>(names[k].size());
    std::memcpy(&r[rec::kFileName], names[k].data(), names[k].size());
    PutInt32(&r[rec::kNextHeader], data + compressed);
    PutInt32(&r[rec::kFileSize], size);
    PutInt32(&r[rec::kDataPosition], data);
    PutInt32(&r[rec::kCompressedSize], compressed);
    if (!out.Seek(Offset + position)) throw EqcDiskFull();
    WriteAll(out, r.data(), r.size());
    position = data + compressed;
    if (!out.Seek(Offset + position)) throw EqcDiskFull();

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
  if (target.Commit() != 0)
    throw EQuillCompress(Format("Cannot create the file %s", {FCompressedFile}));
  FHeadersLoaded = false;
}
