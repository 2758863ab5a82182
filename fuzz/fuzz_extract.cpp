// Listing and extracting an arbitrary archive with the unpacking page's tree rule: every run
// ends normally or with an exception, nothing is written outside the destination, not even
// through a link in it, and no file a run finds there changes unless it is a member's target.
// The first input byte says what the destination holds before the run; the rest is the
// archive, kept in a memory file. The destination lies in shared memory where there is one.
// Built twice: over the compact inflater setup.exe ships (fuzz_extract) and over zlib's
// (fuzz_extract_zlib).
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "class_Compress.h"
#include "uArchiveHooks.h"
#include "uFuzzMemFile.h"
#include "uPaths.h"

namespace {

// Plain system calls rather than std::filesystem and file streams: a run lays out, checks and
// clears the destination, and their allocations and buffers cost more than the calls.
bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

const std::string gRoot = std::string(IsDirectory("/dev/shm") ? "/dev/shm" : "/tmp") +
                          "/kro-fuzz-x-" + std::to_string(getpid());
const std::string gDestParent = gRoot + "/dest";
const std::string gDest = gDestParent + "/inner";
const std::string gOutside = gRoot + "/outside";
const std::string gVictim = gOutside + "/victim.txt";
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
  std::string Path;
  std::string Content;
};

void WriteText(const std::string& path, const std::string& text) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) __builtin_trap();
  ::close(fd);
}

// The content, or a text no file here holds when it cannot be read.
std::string ReadText(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::string(1, '\0');
  std::string text;
  char buffer[256];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  ::close(fd);
  return text;
}

// Everything below the root, without following links, the deepest first.
std::vector<std::string> gWalk;
std::vector<std::string>& Walk(const std::string& root) {
  gWalk.clear();
  ::nftw(
      root.c_str(),
      [](const char* path, const struct stat*, int, struct FTW*) {
        gWalk.emplace_back(path);
        return 0;
      },
      16, FTW_PHYS | FTW_DEPTH);
  return gWalk;
}

// Lays out the destination, empty from the run before; returns the files put there.
std::vector<TPreset> Prepare(uint8_t what) {
  ::mkdir(gDestParent.c_str(), 0755);
  ::mkdir(gDest.c_str(), 0755);
  std::vector<TPreset> files;
  auto put = [&](const std::string& rel, const std::string& content) {
    const std::string path = gDest + "/" + rel;
    if (rel.find('/') != std::string::npos) ::mkdir(FolderPart(path).c_str(), 0755);
    WriteText(path, content);
    files.push_back({path, content});
  };
  if (what & kTargets) {
    put("a.txt", "old a");
    put("sub/zero.bin", "old zero");
    put("readonly.txt", "read-only");
    ::chmod((gDest + "/readonly.txt").c_str(), 0440);
  }
  if (what & kLookAlikes)
    for (const char* name : {"a.txt.~kro", "a.txt.~kroa", "a.txt.~krob", "sub/zero.bin.~kro"})
      put(name, name);
  if ((what & kFolderLink) && !Exists(gDest + "/sub"))
    ::symlink(gOutside.c_str(), (gDest + "/sub").c_str());
  if ((what & kFileLink) && !Exists(gDest + "/a.txt"))
    ::symlink(gVictim.c_str(), (gDest + "/a.txt").c_str());
  return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzMemFile archive;
  static bool once = [] {
    ArchiveHooks().ShowMessage = [](const std::string&) {};
    ::mkdir(gRoot.c_str(), 0755);
    ::mkdir(gOutside.c_str(), 0755);
    WriteText(gVictim, kVictim);
    std::atexit([] {
      for (const std::string& p : Walk(gRoot)) std::remove(p.c_str());
    });
    return true;
  }();
  (void)once;
  if (size == 0 || !archive.Set(data + 1, size - 1)) return 0;
  const std::vector<TPreset> preset = Prepare(data[0]);

  std::set<std::string> targets;
  TQuillCompress q;
  q.SetCompressedFile(archive.Name());
  q.DestinationRoot = gDest;
  q.OnListing = [](TQuillCompress& c, const TlzhFileStats& s) { c.AddFileToProcess(s.FileName); };
  q.OnBeforeExtracting = [](TQuillCompress& c, const TlzhFileStats& s) {
    auto folder = MemberFolder(s.FileName);
    if (!folder)
      c.RefuseCurrentFile();
    else
      c.ExtractDirectory = IncludeTrailingDelimiter(gDest) + *folder;
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
  std::vector<std::string> left;
  const std::string inner = IncludeTrailingDelimiter(gDest);
  for (std::string& p : Walk(gRoot)) {
    if (p.rfind(inner, 0) == 0)
      left.push_back(std::move(p));
    else if (p != gRoot && p != gDestParent && p != gDest && p != gOutside && p != gVictim)
      __builtin_trap();
  }
  if (ReadText(gVictim) != kVictim) __builtin_trap();
  // Inside: what the run found keeps its content unless a member was written over it.
  for (const TPreset& f : preset)
    if (!targets.count(f.Path) && ReadText(f.Path) != f.Content) __builtin_trap();
  for (const std::string& p : left) std::remove(p.c_str());
  return 0;
}
