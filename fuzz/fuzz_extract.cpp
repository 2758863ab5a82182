// Listing and extracting an arbitrary archive, with the unpacking page's tree rule: every run
// ends normally or with an exception, and nothing is ever written outside the destination.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "class_Compress.h"
#include "uArchiveHooks.h"
#include "uPaths.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fs::path root = "/tmp/kro-fuzz-x-" + std::to_string(getpid());
  static const fs::path dest = root / "dest" / "inner";
  static bool once = [] {
    ArchiveHooks().ShowMessage = [](const std::string&) {};
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(root, ec);
    });
    return true;
  }();
  (void)once;
  std::error_code ec;
  fs::remove_all(root, ec);
  fs::create_directories(dest);
  const std::string archive = (root / "a.pak").string();
  FILE* f = std::fopen(archive.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  TQuillCompress q;
  q.SetCompressedFile(archive);
  q.OnListing = [](TQuillCompress& c, const TlzhFileStats& s) { c.AddFileToProcess(s.FileName); };
  q.OnBeforeExtracting = [](TQuillCompress& c, const TlzhFileStats& s) {
    auto folder = MemberFolder(s.FileName);
    if (!folder)
      c.RefuseCurrentFile();
    else
      c.ExtractDirectory = IncludeTrailingDelimiter(dest.string()) + *folder;
  };
  q.OnError = [](TQuillCompress&, const std::string&, int) {};
  try {
    q.ListFiles();
    q.ExtractFiles();
  } catch (const std::exception&) {
  }
  // The oracle: the scratch folder holds the archive and the destination tree, nothing else.
  for (auto& e : fs::recursive_directory_iterator(root)) {
    const fs::path& p = e.path();
    bool inside =
        p == root / "a.pak" || p == root / "dest" || p.string().rfind(dest.string(), 0) == 0;
    if (!inside) __builtin_trap();
  }
  return 0;
}
