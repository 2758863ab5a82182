// The writing side of TQuillCompress: the single-file layout, every member one zlib stream.
// Kept apart so that programs which only extract carry none of the deflate code.
//
// Members are deflated on worker threads and written by the calling thread, in member order.
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>

#include "class_Compress.h"
#include "uText.h"

namespace {

constexpr size_t kChunk = 65'536;
constexpr int64_t kMaxArchive = std::numeric_limits<int32_t>::max();
// Deflated bytes that members ahead of the one being written may hold: per thread, so that
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

// Why a worker could not deflate its member. The writer raises the exception, in member order;
// workers build no messages, as the Windows build starts no function's statics safely on two
// threads at once.
enum class TFault { kNone, kOpen, kRead, kTooLarge, kInternal };

struct TOutcome {
  TFault Fault;
  int64_t InflatedSize;
};

struct TSlot {
  bool Opened = false;  // the source was opened, or could not be: SourceSize is known
  int64_t SourceSize = 0;
  std::vector<std::vector<uint8_t>> Chunks;  // deflated, not yet taken by the writer
  bool Done = false;
  TOutcome Outcome{TFault::kNone, 0};
};

// Deflates members on worker threads, each member by one worker, and hands their data to the
// writer in member order, so the archive does not depend on the number of threads. The member
// being written streams through as it is deflated; the data of members further on waits in
// memory, and a worker ahead waits while that exceeds the budget, so that memory stays bounded
// however large the archive. The writer always drains the member at its head, whose worker
// never waits for the budget: no one waits for ever.
class TDeflatePool {
 public:
  TDeflatePool(const std::vector<TPackItem>& items, int level, int threads)
      : Items(items),
        Level(level),
        Slots(2 * static_cast<size_t>(threads)),
        Budget(std::min(kBudgetPerThread * threads, kBudgetCeiling)) {
    int workers = static_cast<int>(std::min<size_t>(static_cast<size_t>(threads), items.size()));
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

  // The size of member k's source once it is open; nothing when it cannot be opened.
  std::optional<int64_t> WaitOpened(size_t k) {
    std::unique_lock<std::mutex> hold(Lock);
    TSlot& slot = SlotOf(k);
    Changed.wait(hold, [&] { return slot.Opened; });
    if (slot.Done && slot.Outcome.Fault == TFault::kOpen) return std::nullopt;
    return slot.SourceSize;
  }

  // Moves the data of member k deflated so far into chunks, waiting for some; the outcome
  // once the member is complete and all its data taken.
  std::optional<TOutcome> Take(size_t k, std::vector<std::vector<uint8_t>>& chunks) {
    std::unique_lock<std::mutex> hold(Lock);
    TSlot& slot = SlotOf(k);
    Changed.wait(hold, [&] { return slot.Done || !slot.Chunks.empty(); });
    if (slot.Chunks.empty()) return slot.Outcome;
    chunks.swap(slot.Chunks);
    for (const auto& chunk : chunks) Buffered -= static_cast<int64_t>(chunk.size());
    hold.unlock();
    Changed.notify_all();
    return std::nullopt;
  }

  // Member k is written: its slot is free and the next member is at the head.
  void Written(size_t k) {
    {
      std::lock_guard<std::mutex> hold(Lock);
      SlotOf(k) = TSlot{};
      Writing = k + 1;
    }
    Changed.notify_all();
  }

 private:
  struct TStop {};

  TSlot& SlotOf(size_t k) { return Slots[k % Slots.size()]; }

  void Work() {
    for (;;) {
      size_t k;
      {
        std::unique_lock<std::mutex> hold(Lock);
        Changed.wait(hold, [&] {
          return Stopping || NextClaim >= Items.size() || NextClaim < Writing + Slots.size();
        });
        if (Stopping || NextClaim >= Items.size()) return;
        k = NextClaim++;
      }
      try {
        Deflate(k);
      } catch (const TStop&) {
        return;
      } catch (...) {
        Finish(k, {TFault::kInternal, 0});
      }
    }
  }

  void Finish(size_t k, TOutcome outcome) {
    {
      std::lock_guard<std::mutex> hold(Lock);
      TSlot& slot = SlotOf(k);
      slot.Opened = true;
      slot.Done = true;
      slot.Outcome = outcome;
    }
    Changed.notify_all();
  }

  // Hands a chunk to the writer; a member behind the head then waits while the budget is spent.
  void Push(size_t k, std::vector<uint8_t>& chunk) {
    std::unique_lock<std::mutex> hold(Lock);
    Buffered += static_cast<int64_t>(chunk.size());
    SlotOf(k).Chunks.push_back(std::move(chunk));
    Changed.notify_all();
    Changed.wait(hold, [&] { return Stopping || k == Writing || Buffered <= Budget; });
    if (Stopping) throw TStop{};
    chunk = {};
    chunk.reserve(kChunk);
  }

  void Deflate(size_t k) {
    const TPackItem& item = Items[k];
    fsys::TFile source = fsys::TFile::OpenRead(item.SourcePath);
    if (!source.IsOpen()) return Finish(k, {TFault::kOpen, 0});
    {
      std::lock_guard<std::mutex> hold(Lock);
      SlotOf(k).Opened = true;
      SlotOf(k).SourceSize = source.Size();
    }
    Changed.notify_all();

    z_stream zs{};
    if (deflateInit2(&zs, item.Store ? Z_NO_COMPRESSION : Level, Z_DEFLATED, 15, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK)
      return Finish(k, {TFault::kInternal, 0});
    struct End {
      z_stream& zs;
      ~End() { deflateEnd(&zs); }
    } end{zs};
    auto in = std::make_unique<uint8_t[]>(kChunk);
    std::vector<uint8_t> chunk;
    chunk.reserve(kChunk);
    int64_t inflatedSize = 0;
    int flush = Z_NO_FLUSH;
    do {
      if (Stopping) throw TStop{};
      int64_t n = source.Read(in.get(), kChunk);
      if (n < 0) return Finish(k, {TFault::kRead, 0});
      inflatedSize += n;
      // Checked as the size grows, so that no field of the record can overflow.
      if (inflatedSize > std::numeric_limits<int32_t>::max())
        return Finish(k, {TFault::kTooLarge, 0});
      flush = n < static_cast<int64_t>(kChunk) ? Z_FINISH : Z_NO_FLUSH;
      zs.next_in = in.get();
      zs.avail_in = static_cast<uInt>(n);
      do {
        size_t used = chunk.size();
        chunk.resize(kChunk);
        zs.next_out = chunk.data() + used;
        zs.avail_out = static_cast<uInt>(kChunk - used);
        if (deflate(&zs, flush) == Z_STREAM_ERROR) return Finish(k, {TFault::kInternal, 0});
        chunk.resize(kChunk - zs.avail_out);
        if (chunk.size() == kChunk) Push(k, chunk);
      } while (zs.avail_out == 0);
    } while (flush != Z_FINISH);
    if (!chunk.empty()) Push(k, chunk);
    Finish(k, {TFault::kNone, inflatedSize});
  }

  const std::vector<TPackItem>& Items;
  const int Level;
  std::mutex Lock;
  std::condition_variable Changed;
  std::vector<TSlot> Slots;  // member k in Slots[k % size]: the head and the members after it
  size_t NextClaim = 0, Writing = 0;
  int64_t Buffered = 0;
  const int64_t Budget;
  std::atomic<bool> Stopping = false;
  std::vector<std::thread> Workers;
};

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
    TDeflatePool pool(items, ZlibLevel(CompressionLevel), std::max(1, Threads));
    std::vector<std::vector<uint8_t>> chunks;
    for (size_t k = 0; k < items.size(); ++k) {
      if (Abort) throw EqcAborted();
      const std::string& path = items[k].SourcePath;
      auto sourceSize = pool.WaitOpened(k);
      if (!sourceSize) throw EQuillCompress(Format("Cannot open the file %s", {path}));
      Stats.FileName = items[k].StoredName;
      Stats.FileSize = static_cast<int32_t>(std::min<int64_t>(*sourceSize, INT32_MAX));
      Stats.FileBytesDone = 0;
      Stats.FileDone = 0;
      if (OnBeforeAdding) OnBeforeAdding(*this, Stats);

      const int64_t data = position + kHeaderSize;
      if (!out.Seek(data)) throw EqcDiskFull();
      int64_t compressed = 0;
      std::optional<TOutcome> outcome;
      while (!(outcome = pool.Take(k, chunks))) {
        for (const auto& chunk : chunks) {
          compressed += static_cast<int64_t>(chunk.size());
          if (compressed > kMaxArchive - data)
            throw EQuillCompress("The archive would be larger than 2 GB");
          WriteAll(out, chunk.data(), chunk.size());
        }
        chunks.clear();
      }
      switch (outcome->Fault) {
        case TFault::kNone:
          break;
        case TFault::kOpen:
        case TFault::kRead:
          throw EQuillCompress(Format("Cannot read the file %s", {items[k].StoredName}));
        case TFault::kTooLarge:
          throw EQuillCompress(Format("The file %s is larger than 2 GB", {items[k].StoredName}));
        case TFault::kInternal:
          throw Exception("error");
      }
      const int64_t size = outcome->InflatedSize;
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
      if (!out.Seek(position)) throw EqcDiskFull();
      WriteAll(out, r.data(), r.size());
      position = data + compressed;
      if (!out.Seek(position)) throw EqcDiskFull();
      pool.Written(k);

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
