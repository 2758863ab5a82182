#include "uKropack.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "class_Compress.h"
#include "uDates.h"
#include "uInstallData.h"
#include "uKropackCommon.h"
#include "uKropackSys.h"
#include "uMemberCheck.h"
#include "uPaths.h"
#include "uText.h"

namespace {

struct TOptionRule {
  const char* Name;
  bool TakesValue;
};

struct TCommand {
  const char* Name;
  std::vector<TOptionRule> Options;
  const char* Help;
  int (*Run)(const TArgs&, const TIo&);
};

constexpr const char* kOverview =
    "usage: kropack COMMAND [OPTIONS] ...\n"
    "Packs, lists, tests and extracts setup archives and builds setup files.\n"
    "\n"
    "  pack    [-C DIR] [--threads N] ARCHIVE PATH...\n"
    "  list    [--offset N] ARCHIVE\n"
    "  test    [--offset N] ARCHIVE\n"
    "  extract [--offset N] [-d DIR] [--tree] ARCHIVE [MEMBER...]\n"
    "  setup   [--stub STUB.exe] --inf FILE.inf --package DIR -o OUT.exe [--threads N]\n"
    "\n"
    "kropack COMMAND --help describes a command. Exit status: 0 success, 1 an archive or file\n"
    "error or a member that could not be written, 2 a usage error.\n";

constexpr const char* kOffsetHelp =
    "  --offset N  the archive starts N bytes into the file (" KRO_ARCHIVE_OFFSET_TEXT
    " in a setup file)\n";

// --- command line ----------------------------------------------------------------------------

std::optional<TArgs> ParseArgs(const std::vector<std::string>& args,
                               const std::vector<TOptionRule>& rules) {
  TArgs parsed;
  bool optionsEnd = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
      parsed.Positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnd = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") return std::nullopt;
    std::string name = arg, value;
    bool inlineValue = false;
    if (auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      inlineValue = true;
    }
    auto rule = std::find_if(rules.begin(), rules.end(),
                             [&](const TOptionRule& s) { return name == s.Name; });
    if (rule == rules.end()) UsageFail("unknown option " + arg);
    if (!rule->TakesValue) {
      if (inlineValue) UsageFail("option " + name + " takes no value");
      parsed.Flags[name] = true;
      continue;
    }
    if (!inlineValue) {
      if (i + 1 >= args.size()) UsageFail("option " + name + " needs a value");
      value = args[++i];
    }
    if (parsed.Values.count(name)) UsageFail("option " + name + " given twice");
    parsed.Values[name] = value;
  }
  return parsed;
}

// --- list ------------------------------------------------------------------------------------

std::string DateText(double date) {
  TDateParts p{};
  if (!DecodeDateTime(date, p)) return "\?\?\?\?-\?\?-\?\? \?\?:\?\?:\?\?";
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.Year, p.Month, p.Day, p.Hour,
                p.Minute, p.Second);
  return text;
}

// Packed size as a share of the unpacked size, not capped: a tiny member may grow.
std::string RatioText(int64_t packed, int64_t size) {
  if (size <= 0) return "-";
  return std::to_string((packed * 100 + size / 2) / size) + "%";
}

int RunList(const TArgs& args, const TIo& io) {
  if (args.Positional.size() != 1) UsageFail("list needs exactly one ARCHIVE");
  TQuillCompress qc;
  qc.SetCompressedFile(args.Positional[0]);
  qc.Offset = args.Offset();
  qc.ReadHeaders();
  std::fprintf(io.Out, "%10s %10s %5s %-19s %s\n", "Size", "Packed", "Ratio", "Date       Time",
               "Name");
  qc.OnListing = [&](TQuillCompress&, const TlzhFileStats& s) {
    TFileHeader h(nullptr);
    h.Record = s.Header;
    std::fprintf(io.Out, "%10d %10d %5s %s %s\n", s.FileSize, s.CompressedSize,
                 RatioText(s.CompressedSize, s.FileSize).c_str(), DateText(h.FileDate()).c_str(),
                 Printable(s.FileName).c_str());
  };
  qc.ListFiles();
  const TlzhFileStats& totals = qc.FileStats();
  int count = qc.GetFileCount();
  std::fprintf(io.Out, "%10lld %10lld %5s %-19s %d %s\n", static_cast<long long>(totals.TotalSize),
               static_cast<long long>(totals.TotalCompressedSize),
               RatioText(totals.TotalCompressedSize, totals.TotalSize).c_str(), "", count,
               count == 1 ? "member" : "members");
  return keOk;
}

// --- test ------------------------------------------------------------------------------------

// Every member is unpacked as setup unpacks it, by the same engine and inflater, into a
// scratch folder that is emptied after each one; so what passes here unpacks in setup.exe.
// An archive that holds a .inf and a .pak is setup's own: its members land in one folder as
// the preparation puts them, and its package is then tested as the installation unpacks it,
// with its folders. A member that fails is looked at once more, by zlib, to say why.
class TSetupTest {
 public:
  TSetupTest(const TIo& io, std::string scratch) : Io(io), Scratch(std::move(scratch)) {}

  // Tests every member of the archive; `package` names it when it is setup's package.
  void Archive(const std::string& archive, int64_t offset, const std::string& package) {
    TQuillCompress qc;
    qc.SetCompressedFile(archive);
    qc.Offset = offset;
    qc.ReadHeaders();
    const TFileHeaders& headers = qc.Headers();
    int64_t total = 0;
    for (int i = 0; i < headers.Count(); ++i)
      total += std::max(0, headers.GetFileHeaders(i).FileSize());
    TProgress progress(Io.Err, total);
    const bool tree = !package.empty();
    // The installation keeps every member below its destination, as here below the scratch.
    if (tree) qc.DestinationRoot = Scratch;
    std::string inf, pak;
    std::string written, problem;
    int64_t memberBytes = 0;
    qc.OnBeforeExtracting = [&](TQuillCompress& q, const TlzhFileStats& s) {
      q.ExtractDirectory = Scratch;
      if (!tree) return;
      if (auto folder = MemberFolder(s.FileName))
        q.ExtractDirectory = IncludeTrailingDelimiter(Scratch) + *folder;
      else
        q.RefuseCurrentFile();
    };
    qc.OnError = [&](TQuillCompress&, const std::string&, int code) {
      problem = "setup cannot create it under this name: " + SystemErrorText(code);
    };
    qc.OnStatus = [&](TQuillCompress& q, const TlzhFileStats& s) {
      if (s.FileDone) written = IncludeTrailingDelimiter(q.ExtractDirectory) + q.CurrentTargetName;
      progress.Add(s.FileBytesDone - memberBytes, Printable(s.FileName));
      memberBytes = s.FileBytesDone;
    };
    for (int i = 0; i < headers.Count(); ++i) {
      const TFileHeader& entry = headers.GetFileHeaders(i);
      const std::string name = entry.FileName();
      written.clear();
      problem.clear();
      memberBytes = 0;
      // Setup asks for each member by its name, which must lead back to it.
      if (int found = headers.IndexOfFile(name); found != i)
        problem = found < 0 ? "setup stops at its name: the request ends at the semicolon"
                            : "setup unpacks the earlier member of the same name in its place";
      if (problem.empty()) {
        qc.SetFilesToProcess({name});
        try {
          qc.ExtractFiles();
        } catch (const std::exception& e) {
          TMemberCheck check = CheckMember(archive, headers.Spanned(), offset, entry);
          problem = check.Ok ? std::string("setup fails it: ") + e.what() : check.Problem;
        }
      }
      progress.Clear();
      Report(package + name, written, problem);
      if (!problem.empty() || written.empty()) continue;
      // As the preparation notes them: by extension, the last of each kind.
      const std::string ext = tree ? std::string() : Extension(name);
      if (ext == ".inf") inf = name;
      if (ext == ".pak") {
        if (!pak.empty()) fsys::RemoveFile(Kept);
        pak = name;
        Kept = written;
      } else {
        fsys::RemoveFile(written);
      }
    }
    if (tree || inf.empty() || pak.empty()) return;
    // The package needs a scratch folder of its own: it is unpacked from this one.
    const std::string file = Kept;
    const std::string outer = Scratch;
    Scratch = IncludeTrailingDelimiter(outer) + "package";
    fsys::ForceDirectories(Scratch);
    Archive(file, 0, pak + "\\");
    Scratch = outer;
    fsys::RemoveFile(file);
  }

  int Tested = 0, Damaged = 0;

 private:
  void Report(const std::string& name, const std::string& written, const std::string& problem) {
    ++Tested;
    const std::string shown = Printable(name);
    if (problem.empty() && !written.empty()) {
      std::fprintf(Io.Out, "ok      %08x %s\n", static_cast<unsigned>(AdlerOf(written)),
                   shown.c_str());
      return;
    }
    ++Damaged;
    std::fprintf(Io.Out, "FAILED  %8s %s\n", "", shown.c_str());
    std::fprintf(Io.Err, "kropack: %s: %s\n", shown.c_str(),
                 problem.empty() ? "setup does not unpack it" : problem.c_str());
  }

  static std::string Extension(const std::string& name) {
    const size_t slash = name.find_last_of("\\/"), dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return LowerAZ(name.substr(dot));
  }

  static uint32_t AdlerOf(const std::string& path) {
    uLong adler = adler32(0, nullptr, 0);
    fsys::TFile file = fsys::TFile::OpenRead(path);
    std::vector<uint8_t> buffer(65'536);
    for (int64_t n; (n = file.Read(buffer.data(), buffer.size())) > 0;)
      adler = adler32(adler, buffer.data(), static_cast<uInt>(n));
    return static_cast<uint32_t>(adler);
  }

  const TIo& Io;
  std::string Scratch;
  std::string Kept;  // the package, unpacked
};

int RunTest(const TArgs& args, const TIo& io) {
  if (args.Positional.size() != 1) UsageFail("test needs exactly one ARCHIVE");
  const std::string scratch = MakeScratchFolder();
  if (scratch.empty()) Fail("cannot create a scratch folder to unpack into");
  TSetupTest test(io, scratch);
  struct TCleanUp {
    const std::string& Path;
    ~TCleanUp() { RemoveTree(Path); }
  } cleanUp{scratch};
  test.Archive(args.Positional[0], args.Offset(), "");
  if (test.Damaged == 0)
    std::fprintf(io.Out, "%d %s tested, all sound\n", test.Tested,
                 test.Tested == 1 ? "member" : "members");
  else
    std::fprintf(io.Out, "%d of %d members damaged\n", test.Damaged, test.Tested);
  return test.Damaged == 0 ? keOk : keFailed;
}

// --- extract ---------------------------------------------------------------------------------

std::string RequestName(std::string member) {
  // Typed on a command line, folders may be separated either way; the archive uses backslashes.
  std::replace(member.begin(), member.end(), '/', '\\');
  return member;
}

int RunExtract(const TArgs& args, const TIo& io) {
  if (args.Positional.empty()) UsageFail("extract needs an ARCHIVE");
  const std::string base = args.Value("-d").value_or("");
  const bool tree = args.Flag("--tree");
  TQuillCompress qc;
  qc.SetCompressedFile(args.Positional[0]);
  qc.Offset = args.Offset();
  qc.ReadHeaders();
  const TFileHeaders& headers = qc.Headers();

  // Every requested name must exist before anything is written.
  std::vector<std::string> requests;
  int failed = 0;
  int64_t total = 0;
  for (size_t i = 1; i < args.Positional.size(); ++i) {
    std::string request = RequestName(args.Positional[i]);
    int index = headers.IndexOfFile(request);
    if (index < 0)
      Fail("The file <" + request + "> was not found in the archive <" + args.Positional[0] + ">");
    requests.push_back(request);
    total += std::max(0, headers.GetFileHeaders(index).FileSize());
  }
  if (requests.empty()) {
    for (int i = 0; i < headers.Count(); ++i) {
      const TFileHeader& entry = headers.GetFileHeaders(i);
      std::string name = entry.FileName();
      // A request ends at its first semicolon, so such a member cannot be asked for by name
      // (the request would stop the run, or name another member).
      if (name.find(';') != std::string::npos) {
        std::fprintf(io.Err,
                     "kropack: cannot extract %s: a name with a semicolon cannot be "
                     "requested\n",
                     Printable(name).c_str());
        ++failed;
        continue;
      }
      requests.push_back(name);
      total += std::max(0, entry.FileSize());
    }
  }

  // One run over all members; a member's outcome is known when the next one begins (a failed
  // rename is reported after its last status) or when the run ends.
  TProgress progress(io.Err, total);
  bool inMember = false, memberFailed = false;
  int64_t memberBytes = 0;
  std::string written;
  auto memberEnds = [&] {
    if (inMember && !memberFailed && !written.empty()) {
      progress.Clear();
      std::fprintf(io.Out, "extracted %s\n", Printable(written).c_str());
    }
    inMember = false;
  };
  qc.OnBeforeExtracting = [&](TQuillCompress& q, const TlzhFileStats& s) {
    memberEnds();
    inMember = true;
    memberFailed = false;
    memberBytes = 0;
    written.clear();
    q.ExtractDirectory = base;
    if (!tree) return;
    // The member's folders are rebuilt below base, and never lead out of it.
    if (auto folder = MemberFolder(s.FileName))
      q.ExtractDirectory = IncludeTrailingDelimiter(base) + *folder;
    else
      q.RefuseCurrentFile(IncludeTrailingDelimiter(base) + s.FileName);
  };
  qc.OnError = [&](TQuillCompress&, const std::string& path, int code) {
    progress.Clear();
    memberFailed = true;
    ++failed;
    std::fprintf(io.Err, "kropack: cannot create %s: %s\n", Printable(path).c_str(),
                 SystemErrorText(code).c_str());
  };
  qc.OnStatus = [&](TQuillCompress& q, const TlzhFileStats& s) {
    if (s.FileDone) written = IncludeTrailingDelimiter(q.ExtractDirectory) + q.CurrentTargetName;
    progress.Add(s.FileBytesDone - memberBytes, Printable(s.FileName));
    memberBytes = s.FileBytesDone;
  };
  // What lies below DIR may not lead out of it either, through a link.
  qc.DestinationRoot = base.empty() ? "." : base;
  qc.SetFilesToProcess(requests);
  // A failure that stops the run leaves the member in flight unreported.
  qc.ExtractFiles();
  memberEnds();
  if (failed)
    std::fprintf(io.Err, "kropack: %d %s not written\n", failed,
                 failed == 1 ? "member was" : "members were");
  return failed ? keFailed : keOk;
}

// --- dispatch --------------------------------------------------------------------------------

const std::vector<TCommand>& Commands() {
  static const std::vector<TCommand> commands = {
      {"pack",
       {{"-C", true}, {"--threads", true}},
       "usage: kropack pack [-C DIR] [--threads N] ARCHIVE PATH...\n"
       "Writes a new ARCHIVE. Each file becomes a member named by its path relative to DIR\n"
       "(default: the current folder), folders separated by backslashes; a folder adds its\n"
       "files recursively in sorted order. The member's date is the file's modification time.\n"
       "A name must fit 100 bytes in code page 1252 and be creatable on Windows; otherwise\n"
       "nothing is written. An existing ARCHIVE is replaced only when the new one is complete.\n"
       "  --threads N  threads that compress, a large member a MiB on each (default: the\n"
       "               number of cores); the archive is the same at any number\n"
       "With SOURCE_DATE_EPOCH set no stored date is later than it.\n",
       RunPack},
      {"list",
       {{"--offset", true}},
       "usage: kropack list [--offset N] ARCHIVE\n"
       "One line per member in directory order: size, packed size, packed size as a share of\n"
       "the size, date and time, stored name; then the totals.\n",
       RunList},
      {"test",
       {{"--offset", true}},
       "usage: kropack test [--offset N] ARCHIVE\n"
       "Unpacks every member as setup.exe does, with the same code, into a scratch folder it\n"
       "empties again, and shows the Adler-32 of each. An archive that holds a .inf and a .pak\n"
       "(a setup file's) has its package tested too, members named PACKAGE\\MEMBER.\n",
       RunTest},
      {"extract",
       {{"--offset", true}, {"-d", true}, {"--tree", false}},
       "usage: kropack extract [--offset N] [-d DIR] [--tree] ARCHIVE [MEMBER...]\n"
       "Extracts the named members (all when none is named) into DIR (default: the current\n"
       "folder). Without --tree every member lands directly in DIR under the last component\n"
       "of its name; with --tree its folders are rebuilt below DIR. Names that would leave\n"
       "DIR or that Windows cannot create are refused and reported, and so is a member that\n"
       "would land outside DIR through a link below it.\n"
       "  -d DIR      the destination folder\n"
       "  --tree      rebuild the members' folders\n",
       RunExtract},
      {"setup",
       {{"--stub", true}, {"--inf", true}, {"--package", true}, {"-o", true}, {"--threads", true}},
       "usage: kropack setup [--stub STUB.exe] --inf FILE.inf --package DIR -o OUT.exe\n"
       "                     [--threads N]\n"
       "Packs DIR into the package that FILE.inf names in its key Package, puts the\n"
       "description and the package into one archive, and writes OUT.exe: the stub padded\n"
       "with zero bytes to " KRO_ARCHIVE_OFFSET_TEXT
       " bytes, then the archive. The description must have the\n"
       "section [ApplicationInfo], a key Package that is a bare file name ending in .pak, and\n"
       "a LibsIncluded (when present) from 0 to 4. The package is compressed once, in its\n"
       "members; the archive keeps it as it is.\n"
       "  --stub STUB.exe  the setup program (default: the one installed with kropack, at\n"
       "                   " KRO_INSTALLED_STUB " from its folder)\n"
       "  --threads N      threads that compress (default: the number of cores)\n"
       "The same inputs give the same OUT.exe. The package is dated by its newest member; with\n"
       "SOURCE_DATE_EPOCH set no stored date is later than it.\n",
       RunSetup},
  };
  return commands;
}

}  // namespace

std::optional<std::string> TArgs::Value(const std::string& option) const {
  auto it = Values.find(option);
  if (it == Values.end()) return std::nullopt;
  return it->second;
}

int64_t TArgs::Offset() const {
  auto text = Value("--offset");
  if (!text) return 0;
  if (text->empty() || text->size() > 12 ||
      !std::all_of(text->begin(), text->end(), [](char c) { return c >= '0' && c <= '9'; }))
    UsageFail("--offset needs a number of bytes, not '" + *text + "'");
  return std::stoll(*text);
}

int TArgs::Threads() const {
  auto text = Value("--threads");
  if (!text)
    return static_cast<int>(
        std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, kMaxThreads));
  bool digits =
      !text->empty() && text->size() <= 9 &&
      std::all_of(text->begin(), text->end(), [](char c) { return c >= '0' && c <= '9'; });
  int number = digits ? std::stoi(*text) : 0;
  if (number < 1 || number > kMaxThreads)
    UsageFail("--threads needs a number from 1 to " + std::to_string(kMaxThreads) + ", not '" +
              *text + "'");
  return number;
}

TProgress::TProgress(std::FILE* err, int64_t total)
    : Err(err), Enabled(IsTerminal(err)), Total(total), Start(TClock::now()), LastDraw(Start) {}

void TProgress::Add(int64_t bytes, const std::string& name) {
  Done += bytes;
  if (!Enabled) return;
  auto now = TClock::now();
  // Short runs stay quiet; long ones redraw a few times a second.
  if (now - Start < std::chrono::milliseconds(700) ||
      now - LastDraw < std::chrono::milliseconds(150))
    return;
  LastDraw = now;
  int percent = Total > 0 ? static_cast<int>(std::min<int64_t>(100, Done * 100 / Total)) : 0;
  std::string shown = name;
  if (shown.size() > 60) shown = "..." + shown.substr(shown.size() - 57);
  std::fprintf(Err, "\r%3d%% %-60s", percent, shown.c_str());
  std::fflush(Err);
  Drawn = true;
}

void TProgress::Clear() {
  if (!Drawn) return;
  std::fprintf(Err, "\r%66s\r", "");
  std::fflush(Err);
  Drawn = false;
}

std::string Printable(const std::string& name) {
  std::string out = name;
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
  return out;
}

int RunKropack(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  TIo io{out, err};
  if (args.empty()) {
    std::fputs(kOverview, err);
    return keUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::fputs(kOverview, out);
    return keOk;
  }
  const auto& commands = Commands();
  auto command = std::find_if(commands.begin(), commands.end(),
                              [&](const TCommand& c) { return args[0] == c.Name; });
  if (command == commands.end()) {
    std::fprintf(err, "kropack: unknown command '%s'\n%s", Printable(args[0]).c_str(), kOverview);
    return keUsage;
  }
  try {
    auto parsed = ParseArgs(args, command->Options);
    if (!parsed) {
      std::fputs(command->Help, out);
      if (command->Options.front().Name == std::string("--offset")) std::fputs(kOffsetHelp, out);
      return keOk;
    }
    return command->Run(*parsed, io);
  } catch (const TKropackFailure& failure) {
    std::fprintf(err, "kropack: %s\n", failure.Message.c_str());
    if (failure.Exit == keUsage) std::fprintf(err, "%s", command->Help);
    return failure.Exit;
  } catch (const std::exception& e) {
    // The engine's own message, as it raised it.
    std::fprintf(err, "kropack: %s\n", e.what());
    return keFailed;
  }
}
