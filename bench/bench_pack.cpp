// Building a setup file: kropack setup (every core, then one thread) against makensis on the
// same product of about MB megabytes in some 2,000 files. Prints the wall and CPU times, the peak
// memory of each run and the ratios; the kropack runs must give the same bytes. The wall times
// count only on a machine that is otherwise idle.
//
//   bench_pack MB DIR KROPACK STUB     DIR keeps the generated product between runs
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "BenchPayload.h"
#include "uFileSys.h"
#include "uPaths.h"

extern char** environ;

namespace {

// The product: mostly small text and structured files, one of about 40 from 0.2 to 2.2 MB, one
// of 500 an incompressible archive of 5 to 25 MB, in nested folders.
void MakeProduct(double megabytes, const std::string& src) {
  std::mt19937 rng(20261209);
  const int64_t target = static_cast<int64_t>(megabytes * 1'000'000);
  int64_t total = 0;
  int n = 0;
  for (; total < target; ++n) {
    int kind = n % 10 < 6 ? 0 : n % 10 < 9 ? 1 : 2;
    size_t size = n % 500 == 499 ? 5'000'000 + rng() % 20'000'000
                  : n % 40 == 3  ? 200'000 + rng() % 2'000'000
                                 : rng() % 100'000;
    size = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(size), target - total));
    std::string path = src + "/app/mod" + std::to_string(n % 13) + "/sub" + std::to_string(n % 7) +
                       "/file" + std::to_string(n) +
                       (kind == 0   ? ".txt"
                        : kind == 1 ? ".dat"
                                    : ".cab");
    WriteBytes(path, Content(rng, size, kind));
    total += static_cast<int64_t>(size);
  }
  std::printf("product: %d files, %.1f MB\n", n, static_cast<double>(total) / 1e6);
}

struct TRun {
  double Seconds, CpuSeconds;
  long PeakKiB;
};

// Runs the command with its output discarded; stops the benchmark when it fails.
TRun Run(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const auto& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", argv[0]);
    std::exit(1);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", argv[0]);
    std::exit(1);
  }
  auto cpu = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return {seconds, cpu(usage.ru_utime) + cpu(usage.ru_stime), usage.ru_maxrss};
}

bool SameBytes(const std::string& a, const std::string& b) {
  std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(x), {}) ==
         std::vector<char>(std::istreambuf_iterator<char>(y), {});
}

void Print(const char* what, const TRun& run, const std::string& output) {
  std::printf("%-28s %7.2f s (%.2f s of CPU)  peak %6.1f MB  %6.1f MB written\n", what, run.Seconds,
              run.CpuSeconds, static_cast<double>(run.PeakKiB) / 1024,
              static_cast<double>(fsys::FileSize(output).value_or(0)) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: bench_pack MB DIR KROPACK STUB\n");
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const double megabytes = std::atof(argv[1]);
  const std::string dir = argv[2], kropack = argv[3], stub = argv[4];
  const std::string src = dir + "/product-" + argv[1], done = src + ".done";
  if (!fsys::FileExists(done)) {
    MakeProduct(megabytes, src);
    WriteBytes(done, {});
  }
  const std::string inf = dir + "/Bench.inf", nsi = dir + "/bench.nsi";
  const std::string infText =
      "[ApplicationInfo]\r\nName=app\\mod0\\sub0\\file0.txt\r\nTitle=Kro Bench\r\n"
      "Package=Bench.pak\r\nFullInstallation=1\r\n";
  WriteBytes(inf, std::vector<uint8_t>(infText.begin(), infText.end()));
  const std::string nsiText = "Unicode true\nSetCompressor zlib\nName \"Kro Bench\"\nOutFile \"" +
                              dir + "/nsis-setup.exe\"\nInstallDir \"$PROGRAMFILES\\Kro Bench\"\n" +
                              "RequestExecutionLevel user\nSection\n  SetOutPath $INSTDIR\n" +
                              "  File /r \"" + src + "/*\"\nSectionEnd\n";
  WriteBytes(nsi, std::vector<uint8_t>(nsiText.begin(), nsiText.end()));

  auto setup = [&](const std::string& out, std::vector<std::string> extra) {
    std::vector<std::string> command = {kropack, "setup",     "--stub", stub, "--inf",
                                        inf,     "--package", src,      "-o", out};
    command.insert(command.end(), extra.begin(), extra.end());
    return Run(command);
  };
  const std::string all = dir + "/kro-setup.exe", one = dir + "/kro-setup-1.exe";
  // Alternating, best of two each: another load on the machine then favours neither side.
  auto best = [](const TRun& a, const TRun& b) { return a.Seconds <= b.Seconds ? a : b; };
  TRun kroAll = setup(all, {}), nsis = Run({"makensis", "-V1", nsi});
  kroAll = best(kroAll, setup(all, {}));
  nsis = best(nsis, Run({"makensis", "-V1", nsi}));
  Print("kropack setup, every core", kroAll, all);
  Print("makensis", nsis, dir + "/nsis-setup.exe");
  TRun kroOne = setup(one, {"--threads", "1"});
  Print("kropack setup --threads 1", kroOne, one);
  const bool same = SameBytes(all, one);
  std::printf("same setup file at every core and at one thread: %s\n", same ? "yes" : "NO");
  std::printf("ratio makensis/kropack setup time: %.2f\n", nsis.Seconds / kroAll.Seconds);
  std::printf("ratio makensis/kropack setup CPU time: %.2f\n", nsis.CpuSeconds / kroAll.CpuSeconds);
  std::printf("ratio one thread/every core: %.2f\n", kroOne.Seconds / kroAll.Seconds);
  std::printf("ratio kropack/makensis setup file size: %.4f\n",
              static_cast<double>(fsys::FileSize(all).value_or(0)) /
                  static_cast<double>(fsys::FileSize(dir + "/nsis-setup.exe").value_or(1)));
  return same ? 0 : 1;
}
