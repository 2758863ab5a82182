// Listing and extracting an arbitrary archive with the unpacking page's tree rule: every run
// ends normally or with an exception, nothing is written outside the destination, not even
// through a link in it, and no file a run finds there changes unless it is a member's target.
// The first input byte says what the destination holds before the run; the rest is the
// archive, kept in a memory file. The destination lies in shared memory where there is one.
// Built twice: over the compact inflater setup.exe ships (fuzz_extract) and over zlib's
// (fuzz_extract_zlib).
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "class_Compress.h"
#include "uArchiveHooks.h"
#include "uFuzzMemFile.h"
#include "uPaths.h"

namespace fs = std::filesystem;

namespace {

const fs::path gRoot = fs::path(fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") /
                       ("kro-fuzz-x-" + std::to_string(getpid()));
const fs::path gDest = gRoot / "dest" / "inner";
const fs::path gOutside = gRoot / "outside";
const fs::path gVictim = gOutside / "victim.txt";
const std::string kVictim = "outside, and stays as it is";

// What the destination can hold at the start, by bit of the first input byte. The names are
// those of the seed archives' members (fuzz-smoke), so that the seeds meet them.
enum : uint8_t {
  kTargets = 1,     // files where members land, and a read-only one
  kLookAlikes = 2,  // files named as the temporary files of members would be
  kFolderLink = 4,  // sub leads outside
  kFileLink = 8,    // a.txt leads to a file outside
};

struct TPreset {
  fs::path Path;
  std::string Content;
};

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string ReadText(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// Lays out the destination, empty from the run before; returns the files put there.
std::vector<TPreset> Prepare(uint8_t what) {
  fs::create_directories(gDest);
  std::vector<TPreset> files;
  auto put = [&](const fs::path& rel, const std::string& content) {
    fs::create_directories((gDest / rel).parent_path());
    WriteText(gDest / rel, content);
    files.push_back({gDest / rel, content});
  };
  if (what & kTargets) {
    put("a.txt", "old a");
    put("sub/zero.bin", "old zero");
    put("readonly.txt", "read-only");
    fs::permissions(gDest / "readonly.txt", fs::perms::owner_read | fs::perms::group_read);
  }
  if (what & kLookAlikes)
    for (const char* name : {"a.txt.~kro", "a.txt.~kroa", "a.txt.~krob", "sub/zero.bin.~kro"})
      put(name, name);
  if ((what & kFolderLink) && !fs::exists(gDest / "sub"))
    fs::create_directory_symlink(gOutside, gDest / "sub");
  if ((what & kFileLink) && !fs::exists(gDest / "a.txt"))
    fs::create_symlink(gVictim, gDest / "a.txt");
  return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzMemFile archive;
  static bool once = [] {
    ArchiveHooks().ShowMessage = [](const std::string&) {};
    fs::create_directories(gOutside);
    WriteText(gVictim, kVictim);
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(gRoot, ec);
    });
    return true;
  }();
  (void)once;
  if (size == 0 || !archive.Set(data + 1, size - 1)) return 0;
  const std::vector<TPreset> preset = Prepare(data[0]);

  std::set<std::string> targets;
  TQuillCompress q;
  q.SetCompressedFile(archive.Name());
  q.DestinationRoot = gDest.string();
  q.OnListing = [](TQuillCompress& c, const TlzhFileStats& s) { c.AddFileToProcess(s.FileName); };
  q.OnBeforeExtracting = [](TQuillCompress& c, const TlzhFileStats& s) {
    auto folder = MemberFolder(s.FileName);
    if (!folder)
      c.RefuseCurrentFile();
    else
      c.ExtractDirectory = IncludeTrailingDelimiter(gDest.string()) + *folder;
  };
  q.OnStatus = [&](TQuillCompress& c, const TlzhFileStats&) {
    targets.insert(IncludeTrailingDelimiter(c.ExtractDirectory) + c.CurrentTargetName);
  };
  q.OnError = [](TQuillCompress&, const std::string&, int) {};
  try {
    q.ListFiles();
    q.ExtractFiles();
  } catch (const std::exception&) {
  }
  // The oracle. Outside the destination: the file a link leads to, as it was, and nothing more.
  // What the run left in the destination goes with the same walk, the deepest first.
  std::vector<fs::path> left;
  const std::string inner = IncludeTrailingDelimiter(gDest.string());
  for (auto& e : fs::recursive_directory_iterator(gRoot)) {
    const fs::path& p = e.path();
    if (p.string().rfind(inner, 0) == 0)
      left.push_back(p);
    else if (p != gRoot / "dest" && p != gDest && p != gOutside && p != gVictim)
      __builtin_trap();
  }
  if (ReadText(gVictim) != kVictim) __builtin_trap();
  // Inside: what the run found keeps its content unless a member was written over it.
  for (const TPreset& f : preset)
    if (!targets.count(f.Path.string()) && ReadText(f.Path) != f.Content) __builtin_trap();
  std::error_code ec;
  for (auto p = left.rbegin(); p != left.rend(); ++p) fs::remove(*p, ec);
  return 0;
}
