// Extraction throughput of TQuillCompress against a raw inflate loop with the same I/O pattern
// (64 KiB reads, 4 KiB writes, one output file per member), and the engine's peak memory.
//
//   bench_extract make MB DIR       generate a payload of about MB megabytes and pack it
//   bench_extract compare PAK DIR   extract PAK both ways, alternating, best of three
//   bench_extract peak PAK DIR      extract PAK with the engine once, print the peak memory
//   bench_extract update PAK DIR flush|noflush
//                                   extract PAK over the tree DIR/out-update (installed first,
//                                   untimed, when missing), each replacing file flushed before
//                                   it takes the old one's place or not; prints the seconds
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "BenchPayload.h"
#include "class_Compress.h"
#include "uArchiveHooks.h"
#include "uFileSys.h"
#include "uPaths.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

std::string Join(const std::string& a, const std::string& b) {
  return IncludeTrailingDelimiter(a) + b;
}

int Make(double megabytes, const std::string& dir) {
  std::mt19937 rng(20261208);
  const int64_t target = static_cast<int64_t>(megabytes * 1'000'000);
  const std::string src = Join(dir, "src");
  std::vector<TPackItem> items;
  int64_t total = 0;
  for (int n = 0; total < target; ++n) {
    int kind = n % 10 < 6 ? 0 : n % 10 < 9 ? 1 : 2;
    size_t size;
    if (n % 500 == 499)
      size = 5'000'000 + rng() % 20'000'000;  // tens of MB, now and then
    else if (n % 40 == 3)
      size = 200'000 + rng() % 2'000'000;
    else
      size = n % 97 == 0 ? 0 : rng() % 60'000;
    size = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(size), target - total));
    std::string rel = "app\\mod" + std::to_string(n % 13) + "\\sub" + std::to_string(n % 7) +
                      "\\file" + std::to_string(n) +
                      (kind == 0   ? ".txt"
                       : kind == 1 ? ".dat"
                                   : ".cab");
    std::string path = src;
    for (char c : rel) path += c == '\\' ? fsys::kPathDelim : c;
    WriteBytes(path, Content(rng, size, kind));
    items.push_back({path, rel, 45000.5 + n});
    total += static_cast<int64_t>(size);
  }
  TQuillCompress q;
  q.SetCompressedFile(Join(dir, "payload.pak"));
  q.AddFiles(items);
  std::printf("payload: %zu files, %.1f MB, packed to %.1f MB\n", items.size(), total / 1e6,
              static_cast<double>(*fsys::FileSize(q.CompressedFile())) / 1e6);
  return 0;
}

// The engine as the unpacking page drives it: tree rule and a status handler.
int64_t ExtractEngine(const std::string& pak, const std::string& dest) {
  TQuillCompress q;
  q.SetCompressedFile(pak);
  int64_t events = 0, done = 0;
  q.OnListing = [](TQuillCompress& c, const TlzhFileStats& s) { c.AddFileToProcess(s.FileName); };
  q.OnBeforeExtracting = [&](TQuillCompress& c, const TlzhFileStats& s) {
    c.ExtractDirectory = dest + fsys::kPathDelim + MemberFolder(s.FileName).value_or("");
  };
  q.OnStatus = [&](TQuillCompress&, const TlzhFileStats& s) {
    ++events;
    done = s.TotalBytesDone;
  };
  q.ListFiles();
  q.ExtractFiles();
  if (q.Abort) std::exit(1);
  return events > 0 ? done : 0;
}

// The same work without the engine: one archive open per member, 64 KiB reads, 4 KiB writes.
int64_t ExtractRaw(const std::string& pak, const std::string& dest) {
  TFileHeaders headers(nullptr);
  {
    TCodecFileStream s(pak, fmOpenRead, 0, "");
    headers.ReadDirectory(s, 0);
  }
  auto in = std::make_unique<uint8_t[]>(65536);
  uint8_t out[4096];
  int64_t total = 0;
  for (int i = 0; i < headers.Count(); ++i) {
    const TFileHeader& h = headers.GetFileHeaders(i);
    std::string name = h.FileName();
    std::string folder = dest + fsys::kPathDelim + MemberFolder(name).value_or("");
    fsys::ForceDirectories(folder);
    fsys::TFile archive = fsys::TFile::OpenRead(pak);
    fsys::TFile file = fsys::TFile::Create(folder + LastComponent(name));
    archive.Seek(h.DataPosition());
    int64_t left = h.CompressedSize();
    z_stream zs{};
    inflateInit(&zs);
    int r = Z_OK;
    while (r != Z_STREAM_END) {
      if (zs.avail_in == 0) {
        int64_t n = archive.Read(in.get(), static_cast<size_t>(std::min<int64_t>(left, 65536)));
        if (n <= 0) break;
        left -= n;
        zs.next_in = in.get();
        zs.avail_in = static_cast<uInt>(n);
      }
      zs.next_out = out;
      zs.avail_out = sizeof out;
      r = inflate(&zs, Z_NO_FLUSH);
      if (r < 0 && r != Z_BUF_ERROR) break;
      size_t n = sizeof out - zs.avail_out;
      if (n) file.Write(out, n);
      total += static_cast<int64_t>(n);
    }
    inflateEnd(&zs);
  }
  return total;
}

// Each run installs afresh: the previous run's tree is removed first, outside the timing.
double Seconds(int64_t (*f)(const std::string&, const std::string&), const std::string& pak,
               const std::string& dest, int64_t& bytes) {
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(std::u8string(dest.begin(), dest.end())), ec);
  auto t0 = Clock::now();
  bytes = f(pak, dest);
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

int Compare(const std::string& pak, const std::string& dir) {
  double engine = 1e9, raw = 1e9;
  int64_t bytes = 0;
  for (int round = 0; round < 5; ++round) {
    raw = std::min(raw, Seconds(ExtractRaw, pak, Join(dir, "out-raw"), bytes));
    engine = std::min(engine, Seconds(ExtractEngine, pak, Join(dir, "out-engine"), bytes));
  }
  std::printf("best of 5 rounds, alternating, each into a fresh folder\n");
  std::printf("raw inflate loop: %.3f s, %.1f MB/s\n", raw, bytes / raw / 1e6);
  std::printf("TQuillCompress:   %.3f s, %.1f MB/s\n", engine, bytes / engine / 1e6);
  std::printf("ratio engine/raw throughput: %.3f\n", raw / engine);
  return 0;
}

// An update replaces every file of the tree; the script syncs the disk between runs, so no run
// pays for the writes another left behind.
int Update(const std::string& pak, const std::string& dir, const std::string& mode) {
  const std::string dest = Join(dir, "out-update");
  if (!fsys::DirectoryExists(dest)) ExtractEngine(pak, dest);
  if (mode == "noflush") ArchiveHooks().FlushFile = [](fsys::TFile&, int*) { return true; };
  auto t0 = Clock::now();
  int64_t bytes = ExtractEngine(pak, dest);
  double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  std::printf("update %s: %.3f s, %.1f MB/s\n", mode.c_str(), seconds, bytes / seconds / 1e6);
  return 0;
}

int64_t PeakBytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS pmc{};
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return static_cast<int64_t>(pmc.PeakWorkingSetSize);
#else
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<int64_t>(ru.ru_maxrss) * 1024;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (argc != 4 && !(argc == 5 && mode == "update")) {
    std::fprintf(stderr,
                 "usage: bench_extract make MB DIR | compare PAK DIR | peak PAK DIR | update PAK "
                 "DIR flush|noflush\n");
    return 2;
  }
  try {
    if (mode == "update") return Update(argv[2], argv[3], argv[4]);
    if (mode == "make") return Make(std::atof(argv[2]), argv[3]);
    if (mode == "compare") return Compare(argv[2], argv[3]);
    if (mode == "peak") {
      ExtractEngine(argv[2], Join(argv[3], "out-peak"));
      std::printf("peak memory: %lld\n", static_cast<long long>(PeakBytes()));
      return 0;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 2;
}
