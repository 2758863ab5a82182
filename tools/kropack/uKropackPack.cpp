// kropack pack and kropack setup: the writing side.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "class_Compress.h"
#include "uFileSys.h"
#include "uIniFile.h"
#include "uInstallData.h"
#include "uKropack.h"
#include "uKropackCommon.h"
#include "uKropackSys.h"
#include "uNameFold.h"
#include "uPaths.h"
#include "uReplaceFile.h"
#include "uText.h"

namespace {

constexpr const char* kNotCreatable =
    "cannot be created on Windows (a reserved device name, a point or blank at the end, or a "
    "character Windows refuses)";

// Why a member name cannot be stored, or would not come out again on Windows; nothing when
// it is sound.
std::optional<std::string> NameProblem(const std::string& name) {
  auto raw = TryUtf8ToCp1252(name);
  if (!raw) return "holds a character that code page 1252 cannot represent";
  if (raw->size() > static_cast<size_t>(kMaxFileName))
    return "is " + std::to_string(raw->size()) + " bytes long in code page 1252; at most " +
           std::to_string(kMaxFileName) + " fit";
  if (!MemberFolder(name)) return kNotCreatable;
  if (name.find(';') != std::string::npos)
    return "holds a semicolon, where the setup's request for a member ends";
  return std::nullopt;
}

// Collects the files of one command-line PATH, in the order they are stored.
class TCollector {
 public:
  TCollector(std::string dir, std::string archive, const TIo& io)
      : Dir(std::move(dir)), Archive(std::move(archive)), Io(io) {}

  void AddPath(const std::string& path) {
    std::vector<std::string> parts = RelativeParts(path);
    std::string source = Dir.empty() ? "." : Dir;
    std::string name;
    for (const auto& part : parts) {
      source = IncludeTrailingDelimiter(source) + part;
      name += (name.empty() ? "" : "\\") + part;
      Check(name, part);
    }
    if (fsys::DirectoryExists(source))
      Walk(source, name);
    else if (IsRegularFile(source))
      AddFile(source, name);
    else if (fsys::FileExists(source))
      Fail(source + " is not a plain file");
    else
      Fail("cannot find " + source);
  }

  std::vector<TPackItem> Items;

 private:
  // PATH names something inside DIR: no root, no drive, no way up.
  static std::vector<std::string> RelativeParts(const std::string& path) {
    if (path.empty()) UsageFail("an empty PATH");
    bool rooted = fsys::IsPathDelim(path[0]);
#ifdef _WIN32
    rooted = rooted || path.find(':') != std::string::npos;
#endif
    if (rooted) UsageFail("PATH " + path + " must be relative to the folder given with -C");
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
      size_t end = start;
      while (end < path.size() && !fsys::IsPathDelim(path[end])) ++end;
      std::string part = path.substr(start, end - start);
      if (part == "..") UsageFail("PATH " + path + " leads out of the folder given with -C");
      if (!part.empty() && part != ".") parts.push_back(part);
      start = end + 1;
    }
    return parts;
  }

  // name is the member name so far, component its last piece as the file system has it: a
  // backslash inside a file name would otherwise pass for a folder.
  static void Check(const std::string& name, const std::string& component) {
    auto problem = NameProblem(name);
    if (!problem && !IsSafeComponent(component)) problem = kNotCreatable;
    if (problem) Fail("the name " + name + " " + *problem);
  }

  void Walk(const std::string& folder, const std::string& prefix) {
    auto entries = fsys::ListDirectory(folder);
    if (!entries) Fail("cannot read the folder " + folder);
    std::sort(entries->begin(), entries->end(),
              [](const fsys::TDirEntry& a, const fsys::TDirEntry& b) { return a.Name < b.Name; });
    for (const auto& entry : *entries) {
      std::string source = IncludeTrailingDelimiter(folder) + entry.Name;
      std::string name = prefix.empty() ? entry.Name : prefix + "\\" + entry.Name;
      if (entry.IsDirectory) {
        // Checked before going down, which also ends a walk through a symbolic link that points
        // back up: the name soon passes 100 bytes.
        Check(name, entry.Name);
        Walk(source, name);
      } else if (IsRegularFile(source)) {
        if (!IsSameFile(source, Archive)) Check(name, entry.Name);
        AddFile(source, name);
      } else
        std::fprintf(Io.Err, "kropack: skipped %s: not a plain file\n", Printable(source).c_str());
    }
  }

  void AddFile(const std::string& source, const std::string& name) {
    if (name.empty()) Fail("a file needs a name below the folder given with -C");
    // An archive written into the folder it packs must not pack its own previous version.
    if (ArchiveExists() && IsSameFile(source, Archive)) return;
    auto known = Seen.find(NtfsFoldedName(name));
    if (known != Seen.end() && !known->second.Folder && known->second.Name == name &&
        known->second.Source == source)
      return;  // named twice
    if (known != Seen.end()) Conflict(known->second.Name, name);
    // Its folders must not meet a file of the same name either.
    for (size_t cut = name.find('\\'); cut != std::string::npos; cut = name.find('\\', cut + 1)) {
      std::string folder = name.substr(0, cut);
      auto [it, added] = Seen.try_emplace(NtfsFoldedName(folder), TSeen{folder, {}, true});
      if (!added && !it->second.Folder) Conflict(it->second.Name, folder);
    }
    Seen[NtfsFoldedName(name)] = TSeen{name, source, false};
    auto date = fsys::FileDateTime(source);
    if (!date) Fail("cannot read the date of " + source);
    Items.push_back({source, name, *date});
  }

  [[noreturn]] static void Conflict(const std::string& a, const std::string& b) {
    Fail("the names " + a + " and " + b +
         " differ only in the case of their letters; the archive and Windows take them for one");
  }

  bool ArchiveExists() {
    if (!FArchiveExists) FArchiveExists = fsys::FileExists(Archive);
    return *FArchiveExists;
  }

  // Every name stored so far and every folder they imply, by the name as NTFS folds it.
  struct TSeen {
    std::string Name, Source;
    bool Folder;
  };
  std::map<std::string, TSeen> Seen;
  std::string Dir, Archive;
  const TIo& Io;
  std::optional<bool> FArchiveExists;
};

// Writes the items as a new archive, one line per member on out; after a setup stub padded
// to its size when one is given.
void WriteArchive(const std::string& archive, const std::vector<TPackItem>& items, int threads,
                  const TIo& io, bool report, const std::string& stub = {}) {
  int64_t total = 0;
  for (const auto& item : items) total += fsys::FileSize(item.SourcePath).value_or(0);
  TProgress progress(io.Err, total);
  TQuillCompress qc;
  qc.SetCompressedFile(archive);
  qc.Threads = threads;
  if (!stub.empty()) {
    qc.PrefixFile = stub;
    qc.Offset = ARCHIVE_OFFSET;
  }
  qc.OnBeforeAdding = [&](TQuillCompress&, const TlzhFileStats& s) {
    progress.Add(0, Printable(s.FileName));
  };
  qc.OnAfterAdding = [&](TQuillCompress&, const TlzhFileStats& s) {
    progress.Add(s.FileSize, Printable(s.FileName));
    if (!report) return;
    progress.Clear();
    std::fprintf(io.Out, "added %10d -> %10d  %s\n", s.FileSize, s.CompressedSize,
                 Printable(s.FileName).c_str());
  };
  qc.AddFiles(items);
}

// The latest date a member may carry: SOURCE_DATE_EPOCH when it is set, as the
// reproducible-builds convention asks; nothing when it is not. A value that is no number of
// seconds stops the run before anything is written.
std::optional<double> DateLimit() {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (!text) return std::nullopt;
  const std::string value = text;
  bool digits =
      !value.empty() && value.size() <= 11 &&
      std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
  auto date = digits ? LocalDate(std::stoll(value)) : std::nullopt;
  if (!date)
    Fail("SOURCE_DATE_EPOCH=" + Printable(value) + " is not a number of seconds since 1970");
  return date;
}

void ClampDates(std::vector<TPackItem>& items, std::optional<double> limit) {
  if (!limit) return;
  for (auto& item : items) item.FileDate = std::min(item.FileDate, *limit);
}

// The stub installed with kropack, where the package puts it relative to the program;
// nothing when there is none.
std::optional<std::string> InstalledStub() {
  auto self = fsys::OwnExecutable();
  if (!self) return std::nullopt;
  std::string path = FolderPart(*self);
  for (char c : std::string_view(KRO_INSTALLED_STUB)) path += c == '/' ? fsys::kPathDelim : c;
  if (!IsRegularFile(path)) return std::nullopt;
  return path;
}

// Removes a file on leaving the scope, however it is left.
struct TTempFile {
  std::string Path;
  ~TTempFile() {
    if (!Path.empty()) fsys::RemoveFile(Path);
  }
};

// The description's problem that would stop the setup, or nothing.
std::optional<std::string> DescriptionProblem(const TIniFile& inf, std::string& package) {
  constexpr const char* kSection = "ApplicationInfo";
  if (!inf.SectionExists(kSection)) return "has no section [ApplicationInfo]";
  auto value = inf.ReadValue(kSection, "Package");
  if (!value || value->empty()) return "has no key Package in [ApplicationInfo]";
  package = *value;
  bool pakEnding = package.size() > 4 && SameTextAZ(package.substr(package.size() - 4), ".pak");
  if (!pakEnding || !IsSafeComponent(package) || NameProblem(package))
    return "Package=" + package + " is not a bare file name ending in .pak";
  if (auto libs = inf.ReadValue(kSection, "LibsIncluded")) {
    auto number = TryStrToInt(*libs);
    if (!number || *number < 0 || *number > 4)
      return "LibsIncluded=" + *libs + " is not a number from 0 to 4";
  }
  return std::nullopt;
}

}  // namespace

int RunPack(const TArgs& args, const TIo& io) {
  if (args.Positional.size() < 2) UsageFail("pack needs an ARCHIVE and at least one PATH");
  const std::string dir = args.Value("-C").value_or("");
  if (!dir.empty() && !fsys::DirectoryExists(dir)) Fail("cannot find the folder " + dir);
  const std::string& archive = args.Positional[0];
  const int threads = args.Threads();
  const auto dateLimit = DateLimit();
  TCollector collector(dir, archive, io);
  for (size_t i = 1; i < args.Positional.size(); ++i) collector.AddPath(args.Positional[i]);
  ClampDates(collector.Items, dateLimit);
  if (collector.Items.empty())
    std::fprintf(io.Err, "kropack: no files found; the archive is empty\n");
  WriteArchive(archive, collector.Items, threads, io, true);
  std::fprintf(io.Out, "%s: %zu %s\n", archive.c_str(), collector.Items.size(),
               collector.Items.size() == 1 ? "member" : "members");
  return keOk;
}

int RunSetup(const TArgs& args, const TIo& io) {
  if (!args.Positional.empty()) UsageFail("setup takes no arguments besides its options");
  auto stub = args.Value("--stub"), inf = args.Value("--inf"), dir = args.Value("--package"),
       out = args.Value("-o");
  if (!inf || !dir || !out) UsageFail("setup needs --inf, --package and -o");
  const int threads = args.Threads();

  // Everything is checked before anything is written.
  const auto dateLimit = DateLimit();
  if (!IsRegularFile(*inf)) Fail("cannot find the description " + *inf);
  std::string package;
  if (auto problem = DescriptionProblem(TIniFile::Load(*inf), package))
    Fail("the description " + *inf + " " + *problem);
  const std::string infName = LastComponent(*inf);
  if (infName.size() <= 4 || !SameTextAZ(infName.substr(infName.size() - 4), ".inf"))
    Fail("the description " + *inf + " must be named *.inf, or setup will not find it");
  if (auto problem = NameProblem(infName)) Fail("the name " + infName + " " + *problem);
  if (!stub) {
    stub = InstalledStub();
    if (!stub)
      Fail("no --stub given, and no setup.exe installed beside kropack (" KRO_INSTALLED_STUB
           " from the program's folder)");
  }
  auto stubSize = IsRegularFile(*stub) ? fsys::FileSize(*stub) : std::nullopt;
  if (!stubSize) Fail("cannot find the stub " + *stub);
  if (*stubSize > ARCHIVE_OFFSET)
    Fail("the stub " + *stub + " is " + std::to_string(*stubSize) +
         " bytes, more than the " KRO_ARCHIVE_OFFSET_TEXT " bytes before the archive");
  if (!fsys::DirectoryExists(*dir)) Fail("cannot find the folder " + *dir);

  // The package's own name beside the setup file, one that nothing there had.
  TTempFile packageFile;
  {
    fsys::TFile file;
    if (CreateFreshFile(*out, ".~pak", file, packageFile.Path) != 0)
      Fail("cannot create a file beside " + *out);
  }
  TCollector collector(*dir, *out, io);
  collector.AddPath(".");
  if (collector.Items.empty()) std::fprintf(io.Err, "kropack: the package is empty\n");
  ClampDates(collector.Items, dateLimit);
  WriteArchive(packageFile.Path, collector.Items, threads, io, false);
  // The package is dated by what it holds, never by when it was written, so that the same
  // inputs give the same setup file.
  std::vector<TPackItem> members = {{*inf, infName, fsys::FileDateTime(*inf).value_or(0)}};
  ClampDates(members, dateLimit);
  double packageDate = members[0].FileDate;
  if (!collector.Items.empty())
    packageDate = std::max_element(collector.Items.begin(), collector.Items.end(),
                                   [](const TPackItem& a, const TPackItem& b) {
                                     return a.FileDate < b.FileDate;
                                   })
                      ->FileDate;
  // Its members are compressed already: a second pass would cost as long as the first and gain
  // nothing.
  members.push_back({packageFile.Path, package, packageDate, true});
  // The setup file's archive is written behind the stub at once, not copied there afterwards.
  WriteArchive(*out, members, threads, io, false, *stub);
  auto size = fsys::FileSize(*out).value_or(0);
  std::fprintf(io.Out, "%s: %lld bytes: stub %lld bytes padded to %lld, then %s and %s (%zu %s)\n",
               out->c_str(), static_cast<long long>(size), static_cast<long long>(*stubSize),
               static_cast<long long>(ARCHIVE_OFFSET), infName.c_str(), package.c_str(),
               collector.Items.size(), collector.Items.size() == 1 ? "file" : "files");
  return keOk;
}
