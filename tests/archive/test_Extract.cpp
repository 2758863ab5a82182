#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>

#include "ArchiveKit.h"
#include "class_Compress.h"
#include "uArchiveHooks.h"
#include "uFileSys.h"
#include "uPaths.h"

#ifdef _WIN32
#include <windows.h>

#include "uHandles.h"
#endif

using namespace kit;

namespace {

const char* const kMismatch =
    "The decompressed file's size does not match with the actual size of the file.  The file is ";

std::vector<std::string> gShown;

// Captures the fallback message box for the length of a test.
struct TShownMessages {
  TShownMessages() {
    gShown.clear();
    ArchiveHooks().ShowMessage = [](const std::string& text) { gShown.push_back(text); };
  }
  ~TShownMessages() { ArchiveHooks() = DefaultArchiveHooks(); }
};

struct TError {
  std::string Path;
  int Code;
};

// An archive in a scratch folder and a component reading it, recording what it reports.
struct TRun {
  TTempDir Dir;
  TQuillCompress Q;
  std::vector<TlzhFileStats> Status;
  std::vector<TError> Errors;
  std::string Dest;

  explicit TRun(const Bytes& archive, const std::string& name = "p.pak") {
    WriteFile(Dir / name, archive);
    Q.SetCompressedFile(Dir / name);
    Dest = Dir / "dest";
    Q.ExtractDirectory = Dest;
    Q.OnStatus = [this](TQuillCompress&, const TlzhFileStats& s) { Status.push_back(s); };
    Q.OnError = [this](TQuillCompress&, const std::string& path, int code) {
      Errors.push_back({path, code});
    };
  }
  // Rebuilds the member's folders under the destination, as the unpacking page does.
  void UseTree() {
    Q.OnBeforeExtracting = [this](TQuillCompress& q, const TlzhFileStats& s) {
      q.ExtractDirectory = Dest;
      auto folder = MemberFolder(s.FileName);
      if (!folder)
        q.RefuseCurrentFile(IncludeTrailingDelimiter(Dest) + s.FileName);
      else
        q.ExtractDirectory = IncludeTrailingDelimiter(Dest) + *folder;
    };
  }
  void ExtractAll() {
    Q.OnListing = [](TQuillCompress& q, const TlzhFileStats& s) { q.AddFileToProcess(s.FileName); };
    Q.ListFiles();
    Q.ExtractFiles();
  }
  void Extract(std::vector<std::string> names) {
    Q.SetFilesToProcess(std::move(names));
    Q.ExtractFiles();
  }
  std::string Out(const std::string& rel) const { return kit::S(kit::P(Dest) / kit::P(rel)); }
  // Every file under the scratch folder but the archive: nothing may land elsewhere.
  std::vector<std::string> Written() const {
    std::vector<std::string> files;
    for (auto& e : fs::recursive_directory_iterator(Dir.Root))
      if (e.is_regular_file() && e.path().filename() != "p.pak")
        files.push_back(kit::S(fs::relative(e.path(), Dir.Root).generic_string<char8_t>()));
    std::sort(files.begin(), files.end());
    return files;
  }
};

// A stored name with the platform's delimiters.
std::string NativePathOf(std::string name) {
  for (char& ch : name)
    if (ch == '\\') ch = fsys::kPathDelim;
  return name;
}

std::string What(const std::exception_ptr& e) {
  try {
    std::rethrow_exception(e);
  } catch (const std::exception& x) {
    return x.what();
  }
}

}  // namespace

// Round trip at the block and buffer boundaries: content, date and one status per block.
TEST(Extract, RoundTripAtBoundaries) {
  const size_t sizes[] = {0, 1, 4095, 4096, 4097, 39999, 40000, 40001, 65536, 65537, 1000003};
  TTempDir src;
  std::vector<TPackItem> items;
  std::vector<Bytes> contents;
  for (size_t k = 0; k < std::size(sizes); ++k) {
    contents.push_back(k % 2 ? Noise(sizes[k], static_cast<uint32_t>(k)) : Prose(sizes[k]));
    std::string name = "f" + std::to_string(sizes[k]);
    WriteFile(src / name, contents.back());
    items.push_back({src / name, "d\\" + name, 45000.0 + k + 0.123456});
  }
  TQuillCompress writer;
  writer.SetCompressedFile(src / "p.pak");
  writer.AddFiles(items);

  TRun run(ReadFile(src / "p.pak"));
  run.ExtractAll();
  EXPECT_FALSE(run.Q.Abort);
  EXPECT_TRUE(run.Errors.empty());
  for (size_t k = 0; k < std::size(sizes); ++k) {
    std::string out = run.Out("f" + std::to_string(sizes[k]));
    EXPECT_EQ(ReadFile(out), contents[k]) << sizes[k];
    auto date = fsys::FileDateTime(out);
    ASSERT_TRUE(date);
    // DOS dates keep two-second steps.
    EXPECT_LE(std::fabs(*date - items[k].FileDate) * 86400.0, 2.0) << sizes[k];
  }
  size_t expected = 0;
  for (size_t s : sizes) expected += (s + 4095) / 4096 + 1;
  EXPECT_EQ(run.Status.size(), expected);
  EXPECT_EQ(run.Status.back().TotalPercent, 100);
  EXPECT_EQ(run.Status.back().TotalBytesDone, run.Status.back().TotalSize);
  EXPECT_EQ(run.Written().size(), std::size(sizes));
}

// Members of more than a MiB are deflated piece by piece and joined into one zlib stream: the
// archive is the same at any number of threads, each member's data is exactly one stream with
// its Adler-32, the engine gives every member back, and a piece deflates against the data
// before it (a block repeated across the cuts costs its size once, not once a piece).
TEST(Extract, PiecedMembers) {
  const struct {
    size_t Size;
    int Kind;  // 0 text, 1 noise, 2 stored noise, 3 a block of 30,000 noise bytes repeated
  } members[] = {
      {1'048'575, 0}, {1'048'576, 1}, {1'048'577, 0}, {2'097'157, 1},
      {2'500'000, 2}, {1'048'576, 2}, {3'200'000, 3}, {0, 2},
  };
  TTempDir src;
  std::vector<TPackItem> items;
  std::vector<Bytes> contents;
  for (size_t k = 0; k < std::size(members); ++k) {
    const auto& m = members[k];
    Bytes block = Noise(30'000, 5);
    Bytes data = m.Kind == 0 ? Prose(m.Size) : m.Kind < 3 ? Noise(m.Size, 10 + k) : Bytes{};
    while (data.size() < m.Size) data.push_back(block[data.size() % block.size()]);
    contents.push_back(data);
    std::string name = "m" + std::to_string(k);
    WriteFile(src / name, data);
    items.push_back({src / name, name, 45000.5, m.Kind == 2});
  }
  Bytes first;
  for (int threads : {1, 2, 3, 8}) {
    SCOPED_TRACE(threads);
    TQuillCompress writer;
    writer.SetCompressedFile(src / "p.pak");
    writer.Threads = threads;
    writer.AddFiles(items);
    if (first.empty()) first = ReadFile(src / "p.pak");
    EXPECT_TRUE(ReadFile(src / "p.pak") == first);
  }
  for (size_t k = 0; k < std::size(members); ++k) {
    SCOPED_TRACE(k);
    const size_t rec = RecordAt(first, static_cast<int>(k));
    const auto pos = static_cast<size_t>(GetInt32(first, rec + 126));
    const auto packed = static_cast<size_t>(GetInt32(first, rec + 130));
    EXPECT_EQ(first.at(pos + 1), members[k].Kind == 2 ? 0x01 : 0xDA);
    z_stream zs{};
    ASSERT_EQ(inflateInit(&zs), Z_OK);
    Bytes out(members[k].Size + 1);
    zs.next_in = const_cast<uint8_t*>(&first[pos]);
    zs.avail_in = static_cast<uInt>(packed);
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&zs, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(zs.avail_in, 0u);  // nothing after the trailer
    EXPECT_EQ(zs.total_out, members[k].Size);
    inflateEnd(&zs);
    // Without the data before it each piece would spell the block out again: 30,000 bytes.
    if (members[k].Kind == 3) {
      EXPECT_LT(packed, Zlib(contents[k]).size() + 1000);
    }
  }
  TRun run(first);
  run.ExtractAll();
  EXPECT_TRUE(run.Errors.empty());
  for (size_t k = 0; k < std::size(members); ++k)
    EXPECT_TRUE(ReadFile(run.Out("m" + std::to_string(k))) == contents[k]) << k;
}

#ifdef __linux__
// A source whose length is not what its size said when the run began (a file of /proc gives
// more than its size of 0) stops the run with a clear error, and no archive is left.
TEST(Extract, SourceThatChangesStopsTheRun) {
  TTempDir dir;
  TQuillCompress writer;
  writer.SetCompressedFile(dir / "p.pak");
  try {
    writer.AddFiles({{"/proc/self/status", "status", 45000.5}});
    ADD_FAILURE() << "no failure";
  } catch (const EQuillCompress& e) {
    EXPECT_STREQ(e.what(), "The file status changed while it was packed");
  }
  EXPECT_FALSE(fs::exists(kit::P(dir / "p.pak")));
  EXPECT_FALSE(fs::exists(kit::P(dir / "p.pak.~kro")));
}
#endif

// An archive written behind a prefix padded to the offset reads back from there; a prefix
// longer than the room before the archive is refused, and no file is left.
TEST(Extract, ArchiveWrittenAtAnOffset) {
  TTempDir src;
  WriteFile(src / "stub", Noise(1000, 4));
  WriteFile(src / "a.txt", Prose(5000));
  TQuillCompress writer;
  writer.SetCompressedFile(src / "Setup.exe");
  writer.PrefixFile = src / "stub";
  writer.Offset = 4096;
  writer.AddFiles({{src / "a.txt", "a.txt", 45000.5}});
  const Bytes file = ReadFile(src / "Setup.exe");
  ASSERT_GT(file.size(), 4096u);
  EXPECT_TRUE(std::equal(file.begin(), file.begin() + 1000, Noise(1000, 4).begin()));
  EXPECT_TRUE(
      std::all_of(file.begin() + 1000, file.begin() + 4096, [](uint8_t b) { return b == 0; }));
  TRun run(file, "Setup.exe");
  run.Q.Offset = 4096;
  run.ExtractAll();
  EXPECT_EQ(ReadFile(run.Out("a.txt")), Prose(5000));

  writer.SetCompressedFile(src / "Zu.exe");
  writer.Offset = 999;
  try {
    writer.AddFiles({{src / "a.txt", "a.txt", 45000.5}});
    ADD_FAILURE() << "no failure";
  } catch (const EQuillCompress& e) {
    EXPECT_NE(std::string(e.what()).find("larger than the 999 bytes before the archive"),
              std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(fs::exists(kit::P(src / "Zu.exe")));
  EXPECT_FALSE(fs::exists(kit::P(src / "Zu.exe.~kro")));
}

// The status sequence of one member: one event per written block, then one for its end.
TEST(Extract, StatusSequence) {
  struct Case {
    size_t Size;
    std::vector<int32_t> Done;
    std::vector<int> Percent;
  } cases[] = {
      {10000, {4096, 8192, 10000, 10000}, {41, 82, 100, 100}},
      {0, {0}, {0}},
      {4096, {4096, 4096}, {100, 100}},
  };
  for (const auto& c : cases) {
    TRun run(Layout({{"m.bin", Noise(c.Size)}, {"other", Noise(c.Size)}}));
    run.Extract({"m.bin"});
    ASSERT_EQ(run.Status.size(), c.Done.size()) << c.Size;
    for (size_t i = 0; i < c.Done.size(); ++i) {
      EXPECT_EQ(run.Status[i].FileBytesDone, c.Done[i]);
      EXPECT_EQ(run.Status[i].FilePercent, c.Percent[i]);
      EXPECT_EQ(run.Status[i].FileDone, i + 1 == c.Done.size());
      EXPECT_EQ(run.Status[i].FileName, "m.bin");
    }
    // Totals count every member, so half the archive is half done (or nothing of nothing).
    EXPECT_EQ(run.Status.back().TotalPercent, c.Size ? 50 : 0);
    EXPECT_EQ(fs::file_size(kit::P(run.Out("m.bin"))), c.Size);
  }
}

TEST(Extract, EmptyListLoadsDirectoryOnly) {
  TRun run(Layout({{"a", Text("xy")}, {"b", Text("z")}}));
  run.Extract({"", "  ", "\t"});
  EXPECT_TRUE(run.Q.HeadersLoaded());
  EXPECT_TRUE(run.Status.empty());
  EXPECT_EQ(run.Q.FileStats().TotalSize, 3);
  EXPECT_TRUE(run.Written().empty());
}

TEST(Extract, ListingReportsEveryEntry) {
  TRun run(Layout({{"sub\\a.txt", Prose(1000)}, {"b.bin", Noise(100)}}));
  std::vector<TlzhFileStats> listed;
  run.Q.OnListing = [&](TQuillCompress&, const TlzhFileStats& s) { listed.push_back(s); };
  run.Q.ListFiles();
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].FileName, "sub\\a.txt");
  EXPECT_EQ(listed[0].FileSize, 1000);
  EXPECT_EQ(listed[1].CompressedSize, 111);  // stored block: 2 + 5 + 100 + 4
  EXPECT_EQ(listed[1].Ratio, 111);
  EXPECT_EQ(listed[1].TotalSize, 1100);
  EXPECT_EQ(listed[1].Header[17], 5);
  EXPECT_TRUE(run.Written().empty());
}

// Request lines: a semicolon ends the name; a missing name stops the run after what came before.
TEST(Extract, RequestLines) {
  TRun run(Layout({{"a.txt", Text("A")}, {"b.txt", Text("B")}, {"c.txt", Text("C")}}));
  run.Q.CurrentTargetName = "first.txt";  // set before the run: applies to its first member
  try {
    run.Extract({"A.TXT;1.0 stuff", "b.txt", "nope.txt", "c.txt"});
    ADD_FAILURE() << "missing member accepted";
  } catch (const EQuillCompress& e) {
    EXPECT_EQ(std::string(e.what()),
              "The file <nope.txt> was not found in the archive <" + run.Dir / "p.pak" + ">");
  }
  EXPECT_TRUE(run.Q.Abort);
  EXPECT_TRUE(run.Q.FilesToProcess().empty());
  EXPECT_TRUE(run.Q.CurrentTargetName.empty());
  EXPECT_EQ(run.Written(), (std::vector<std::string>{"dest/b.txt", "dest/first.txt"}));
}

// Handlers steer each member: skip it, rename it, or replace what is there.
TEST(Extract, HandlersSteerMembers) {
  TRun run(Layout({{"keep.txt", Text("new")}, {"skip.txt", Text("S")}, {"x\\ren.txt", Text("R")}}));
  fs::create_directories(kit::P(run.Dest));
  WriteFile(run.Out("keep.txt"), Text("old content"));
  std::vector<std::string> replaced;
  run.Q.Overwrite = owNever;  // stored only: extraction always replaces
  run.Q.OnReplace = [&](TQuillCompress&, const TlzhFileStats& s) {
    replaced.push_back(s.FileName);
  };
  run.Q.OnBeforeExtracting = [](TQuillCompress& q, const TlzhFileStats& s) {
    if (s.FileName == "skip.txt") q.SkipCurrentFile = true;
    if (s.FileName == "x\\ren.txt") q.CurrentTargetName = "sub\\renamed.txt";
  };
  run.ExtractAll();
  EXPECT_EQ(replaced, std::vector<std::string>{"keep.txt"});
  EXPECT_EQ(ReadFile(run.Out("keep.txt")), Text("new"));
  // A path handed in as the target name keeps only its last component.
  EXPECT_EQ(run.Written(), (std::vector<std::string>{"dest/keep.txt", "dest/renamed.txt"}));
  int skippedEvents = 0;
  for (auto& s : run.Status) skippedEvents += s.FileName == "skip.txt" && s.FileDone;
  EXPECT_EQ(skippedEvents, 1);
}

// Stops: Abort set from a status handler, and the silent EAbort.
TEST(Extract, StopsAndLeavesNoPartialFile) {
  for (bool silent : {false, true}) {
    TRun run(Layout({{"a.bin", Noise(20000)}, {"b.bin", Noise(10)}}));
    fs::create_directories(kit::P(run.Dest));
    WriteFile(run.Out("a.bin"), Text("previous"));
    int aborted = 0;
    run.Q.OnAborted = [&](TQuillCompress&) { ++aborted; };
    run.Q.OnStatus = [&](TQuillCompress& q, const TlzhFileStats& s) {
      run.Status.push_back(s);
      if (s.FileBytesDone == 8192) {
        if (silent) throw EAbort();
        q.Abort = true;
      }
    };
    run.ExtractAll();
    EXPECT_EQ(run.Q.Abort, !silent);
    EXPECT_EQ(aborted, silent ? 0 : 1);
    EXPECT_TRUE(run.Q.FilesToProcess().empty());
    EXPECT_EQ(run.Status.back().FileBytesDone, 8192);
    EXPECT_EQ(ReadFile(run.Out("a.bin")), Text("previous"));
    EXPECT_EQ(run.Written(), std::vector<std::string>{"dest/a.bin"});
  }
}

// A target that cannot be made goes to OnError (or the German fallback box); the run goes on.
TEST(Extract, UncreatableTargetsAreReportedAndSkipped) {
  for (bool handler : {true, false}) {
    TShownMessages shown;
    TRun run(
        Layout({{"blocked\\a.txt", Text("A")}, {"dir.txt", Text("D")}, {"ok.txt", Text("K")}}));
    fs::create_directories(kit::P(run.Dest) / "dir.txt");  // a folder where a file should go
    WriteFile(run.Dir / "blocked", Text("a file, not a folder"));
    run.Q.OnBeforeExtracting = [&](TQuillCompress& q, const TlzhFileStats& s) {
      q.ExtractDirectory = s.FileName == "blocked\\a.txt" ? run.Dir / "blocked" : run.Dest;
    };
    if (!handler) run.Q.OnError = nullptr;
    run.ExtractAll();
    EXPECT_FALSE(run.Q.Abort);
    EXPECT_EQ(ReadFile(run.Out("ok.txt")), Text("K"));
    const std::string blocked = IncludeTrailingDelimiter(run.Dir / "blocked") + "a.txt";
    if (handler) {
      ASSERT_EQ(run.Errors.size(), 2u);
      EXPECT_EQ(run.Errors[0].Path, blocked);
      EXPECT_EQ(run.Errors[1].Path, run.Out("dir.txt"));
      EXPECT_NE(run.Errors[0].Code, 0);
      EXPECT_NE(run.Errors[1].Code, 0);
      EXPECT_TRUE(gShown.empty());
    } else {
      EXPECT_EQ(gShown,
                (std::vector<std::string>{
                    "Datei " + blocked + " kann nicht erzeugt werden! Fehler=-1",
                    "Datei " + run.Out("dir.txt") + " kann nicht erzeugt werden! Fehler=-1"}));
    }
  }
}

// Temporary files take names nothing in the folder has: no file already there, nor a member
// that looks like a temporary file, is truncated, replaced or removed unless it is the target.
TEST(Extract, TemporaryNamesTakeNoFileOfTheFolder) {
  struct Case {
    const char* What;
    std::vector<std::pair<std::string, std::string>> Before;  // name, content ("/": a folder)
    std::vector<std::pair<std::string, std::string>> Members;
  } cases[] = {
      {"a user's file at the first name", {{"a.txt.~kro", "user"}}, {{"a.txt", "new"}}},
      {"first two names taken, target there too",
       {{"a.txt", "old"}, {"a.txt.~kro", "user"}, {"a.txt.~kroa", "user 2"}},
       {{"a.txt", "new"}}},
      {"a folder at the first name", {{"a.txt.~kro", "/"}}, {{"a.txt", "new"}}},
      {"the package's own look-alike first", {}, {{"a.txt.~kro", "member"}, {"a.txt", "new"}}},
      {"the look-alike after its target", {}, {{"a.txt", "new"}, {"a.txt.~kro", "member"}}},
      {"look-alikes over the user's", {{"a.txt.~kro", "user"}}, {{"a.txt.~kro", "member"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    std::vector<TMember> members;
    for (const auto& [name, content] : c.Members) members.push_back({name, Text(content)});
    TRun run(Layout(members));
    fs::create_directories(kit::P(run.Dest));
    std::map<std::string, std::string> expected;
    for (const auto& [name, content] : c.Before) {
      if (content == "/") {
        fs::create_directories(kit::P(run.Out(name)));
        continue;
      }
      WriteFile(run.Out(name), Text(content));
      expected["dest/" + name] = content;
    }
    for (const auto& [name, content] : c.Members) expected["dest/" + name] = content;
    run.ExtractAll();
    EXPECT_TRUE(run.Errors.empty());
    std::map<std::string, std::string> found;
    for (const std::string& rel : run.Written()) {
      Bytes b = ReadFile(run.Dir / rel);
      found[rel] = std::string(b.begin(), b.end());
    }
    EXPECT_EQ(found, expected);
  }
}

namespace {

std::vector<std::string> gAtFlush;  // the target's content at each flush
std::string gFlushTarget;
int gFlushError = 0;

// Flushes through a recording hook for the length of a test; a nonzero code makes it fail.
struct TRecordedFlushes {
  explicit TRecordedFlushes(const std::string& target, int error) {
    gAtFlush.clear();
    gFlushTarget = target;
    gFlushError = error;
    ArchiveHooks().FlushFile = [](fsys::TFile& file, int* code) {
      Bytes b = ReadFile(gFlushTarget);
      gAtFlush.emplace_back(b.begin(), b.end());
      if (!gFlushError) return file.Flush(code);
      *code = gFlushError;
      return false;
    };
  }
  ~TRecordedFlushes() { ArchiveHooks() = DefaultArchiveHooks(); }
};

}  // namespace

// A member that replaces a file is flushed before it takes the old file's place; a new file is
// not flushed; a failed flush leaves the old file and is reported with its code.
TEST(Extract, ReplacingFlushesFirst) {
  struct Case {
    const char* Before;  // nullptr: no file there
    int FlushError;
    std::vector<std::string> AtFlush;
    const char* After;
    int Reported;  // -1: nothing reported
  } cases[] = {
      {nullptr, 0, {}, "new", -1},
      {"old", 0, {"old"}, "new", -1},
      {"old", 1234, {"old"}, "old", 1234},
  };
  for (const Case& c : cases) {
    TRun run(Layout({{"a.txt", Text("new")}}));
    TRecordedFlushes flushes(run.Out("a.txt"), c.FlushError);
    fs::create_directories(kit::P(run.Dest));
    if (c.Before) WriteFile(run.Out("a.txt"), Text(c.Before));
    run.ExtractAll();
    EXPECT_EQ(gAtFlush, c.AtFlush);
    Bytes after = ReadFile(run.Out("a.txt"));
    EXPECT_EQ(std::string(after.begin(), after.end()), c.After);
    if (c.Reported < 0) {
      EXPECT_TRUE(run.Errors.empty());
    } else {
      ASSERT_EQ(run.Errors.size(), 1u);
      EXPECT_EQ(run.Errors[0].Code, c.Reported);
    }
    EXPECT_EQ(run.Written(), std::vector<std::string>{"dest/a.txt"});
  }
}

// Member names against the tree and flat rules: nothing lands outside the destination.
TEST(Extract, PathSafety) {
  struct Case {
    std::string Name;
    const char* Tree;  // where the tree rule writes it under dest, nullptr: refused
    const char* Flat;  // where the flat rule writes it, nullptr: refused
  } cases[] = {
      {"a\\b.txt", "a/b.txt", "b.txt"},
      {"Program Files\\Kro\\k.ini", "Program Files/Kro/k.ini", "k.ini"},
      {"\xe4\\\xfc.txt", "\xc3\xa4/\xc3\xbc.txt", "\xc3\xbc.txt"},
      {"..\\evil.txt", nullptr, "evil.txt"},
      {"a\\..\\..\\evil.txt", nullptr, "evil.txt"},
      {".\\x.txt", nullptr, "x.txt"},
      {"\\rooted.txt", nullptr, "rooted.txt"},
      {"\\\\server\\share\\s.txt", nullptr, "s.txt"},
      {"c:drive.txt", nullptr, "drive.txt"},
      {"c:\\abs.txt", nullptr, "abs.txt"},
      {"a\\\\b.txt", nullptr, "b.txt"},
      {"dots.\\d.txt", nullptr, "d.txt"},
      {"blank \\d.txt", nullptr, "d.txt"},
      {"sl/ash\\d.txt", nullptr, "d.txt"},
      {"x\\..", nullptr, nullptr},
      {"x\\.", nullptr, nullptr},
      {"x\\file.", nullptr, nullptr},
      {"x\\file ", nullptr, nullptr},
      {"stream.txt:hidden", nullptr, "hidden"},
      {"x\\CON", nullptr, nullptr},
      {"x\\con.txt", nullptr, nullptr},
      {"x\\Lpt9.log", nullptr, nullptr},
      {"x\\COM1", nullptr, nullptr},
      {"x\\nul.", nullptr, nullptr},
      {"x\\AUX.tar.gz", nullptr, nullptr},
      {"x\\COM0", nullptr, nullptr},
      {"x\\lpt0.txt", nullptr, nullptr},
      {"x\\COM\xb9", nullptr, nullptr},  // superscripts one, two and three
      {"x\\com\xb2.ini", nullptr, nullptr},
      {"x\\LPT\xb3", nullptr, nullptr},
      {"x\\Lpt\xb9 .log", nullptr, nullptr},
      {"x\\conin$", nullptr, nullptr},
      {"x\\CONOUT$.txt", nullptr, nullptr},
      {"conin$\\x.txt", nullptr, "x.txt"},
      {"x\\CONSOLE", "x/CONSOLE", "CONSOLE"},
      {"x\\COM10", "x/COM10", "COM10"},
      {"x\\COM\xbc", "x/COM\xc2\xbc", "COM\xc2\xbc"},  // a fraction is no port number
      {"x\\LPT\xb4", "x/LPT\xc2\xb4", "LPT\xc2\xb4"},  // nor an accent
      {"x\\CONIN", "x/CONIN", "CONIN"},
      {"x\\CONOUT$X", "x/CONOUT$X", "CONOUT$X"},
      {"x\\q?.txt", nullptr, nullptr},
      {"x\\star*", nullptr, nullptr},
  };
  for (bool tree : {true, false}) {
    for (const auto& c : cases) {
      TRun run(Layout({{c.Name, Text("payload")}}));
      if (tree) run.UseTree();
      run.ExtractAll();
      const char* expect = tree ? c.Tree : c.Flat;
      SCOPED_TRACE((tree ? "tree " : "flat ") + c.Name);
      EXPECT_FALSE(run.Q.Abort);
      if (expect) {
        EXPECT_EQ(run.Written(), std::vector<std::string>{"dest/" + std::string(expect)});
        EXPECT_TRUE(run.Errors.empty());
      } else {
        EXPECT_TRUE(run.Written().empty());
        ASSERT_EQ(run.Errors.size(), 1u);
        EXPECT_EQ(run.Errors[0].Code, fsys::InvalidNameError());
      }
    }
  }
}

// Links inside the destination never lead a member out of it. A folder that links elsewhere
// refuses its members (nothing is made outside, not even a folder); a link at the target or at
// a temporary name is replaced or passed by, never written through; a link that stays inside is
// followed. Symbolic links natively only: Wine 8 lets a program make neither symbolic links
// (CreateSymbolicLinkW succeeds and makes nothing) nor junctions (ERROR_NOT_SUPPORTED).
TEST(Extract, NeverThroughALink) {
  struct Case {
    const char* What;
    bool Hard;         // a hard link, else a symbolic one
    const char* Link;  // below dest
    const char* To;    // below the scratch folder
    const char* Member;
    const char* Lands;  // below the scratch folder; nullptr: refused
  } cases[] = {
      {"a hard link at the target", true, "h.txt", "outside/o.txt", "h.txt", "dest/h.txt"},
#ifndef _WIN32
      {"a folder leading out", false, "sub", "outside", "sub\\x.txt", nullptr},
      {"a folder leading out, deeper", false, "sub", "outside", "sub\\new\\x.txt", nullptr},
      {"a link at the target", false, "f.txt", "outside/o.txt", "f.txt", "dest/f.txt"},
      {"a link at the temporary name", false, "g.txt.~kro", "outside/o.txt", "g.txt", "dest/g.txt"},
      {"a link to nothing at the temporary name", false, "g.txt.~kro", "outside/none.txt", "g.txt",
       "dest/g.txt"},
      {"a folder staying inside", false, "alias", "dest/real", "alias\\x.txt", "dest/real/x.txt"},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TRun run(Layout({{c.Member, Text("payload")}}));
    run.UseTree();
    run.Q.DestinationRoot = run.Dest;
    const fs::path root = run.Dir.Root;
    fs::create_directories(root / "outside");
    fs::create_directories(root / "dest/real");
    WriteFile(kit::S(root / "outside/o.txt"), Text("outside"));
    if (c.Hard)
      fs::create_hard_link(root / c.To, root / "dest" / c.Link);
    else
      fs::create_symlink(root / c.To, root / "dest" / c.Link);
    run.ExtractAll();
    EXPECT_FALSE(run.Q.Abort);
    if (c.Lands) {
      EXPECT_TRUE(run.Errors.empty());
      EXPECT_EQ(ReadFile(kit::S(root / c.Lands)), Text("payload"));
      EXPECT_FALSE(fs::is_symlink(root / c.Lands));
    } else {
      ASSERT_EQ(run.Errors.size(), 1u);
      EXPECT_EQ(run.Errors[0].Path, run.Out(NativePathOf(c.Member)));
      EXPECT_EQ(run.Errors[0].Code, fsys::kLeadsOutside);
    }
    // Outside, all stays as it was.
    std::vector<std::string> outside;
    for (auto& e : fs::recursive_directory_iterator(root / "outside"))
      outside.push_back(kit::S(e.path().filename()));
    EXPECT_EQ(outside, std::vector<std::string>{"o.txt"});
    EXPECT_EQ(ReadFile(kit::S(root / "outside/o.txt")), Text("outside"));
  }
}

#ifndef _WIN32
// The destination itself may be a link: its members land where it leads.
TEST(Extract, DestinationMayBeALink) {
  TRun run(Layout({{"a\\b.txt", Text("B")}, {"c.txt", Text("C")}}));
  fs::create_directories(run.Dir.Root / "real");
  fs::create_symlink(run.Dir.Root / "real", kit::P(run.Dest));
  run.UseTree();
  run.Q.DestinationRoot = run.Dest;
  run.ExtractAll();
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(ReadFile(run.Dir / "real/a/b.txt"), Text("B"));
  EXPECT_EQ(ReadFile(run.Dir / "real/c.txt"), Text("C"));
}
#endif

#ifdef _WIN32
// The same rules under Wine, through links the host made (tests/archive/unix-links): folders
// leading out refuse their members, a link at the target or at a temporary name is never
// written through, a link staying inside and a destination that is a link are followed.
TEST(ExtractLinks, HostLinks) {
  const char* fixture = std::getenv("KRO_LINK_FIXTURE");
  if (!fixture) GTEST_SKIP() << "runs through tests/archive/unix-links";
  const fs::path root = kit::P(fixture);
  TRun run(Layout({{"sub\\x.txt", Text("no")},
                   {"sub\\new\\x.txt", Text("no")},
                   {"alias\\x.txt", Text("alias")},
                   {"f.txt", Text("f")},
                   {"g.txt", Text("g")}}));
  run.Dest = kit::S(root / "dest");
  run.UseTree();
  run.Q.DestinationRoot = run.Dest;
  run.ExtractAll();
  ASSERT_EQ(run.Errors.size(), 2u);
  EXPECT_EQ(run.Errors[0].Path, run.Out("sub\\x.txt"));
  EXPECT_EQ(run.Errors[1].Path, run.Out("sub\\new\\x.txt"));
  EXPECT_EQ(run.Errors[0].Code, fsys::kLeadsOutside);
  EXPECT_EQ(run.Errors[1].Code, fsys::kLeadsOutside);
  EXPECT_EQ(ReadFile(kit::S(root / "dest/real/x.txt")), Text("alias"));
  EXPECT_EQ(ReadFile(kit::S(root / "dest/f.txt")), Text("f"));
  EXPECT_EQ(ReadFile(kit::S(root / "dest/g.txt")), Text("g"));
  std::vector<std::string> outside;
  for (auto& e : fs::directory_iterator(root / "outside"))
    outside.push_back(kit::S(e.path().filename()));
  EXPECT_EQ(outside, std::vector<std::string>{"o.txt"});
  EXPECT_EQ(ReadFile(kit::S(root / "outside/o.txt")), Text("outside"));

  TRun linked(Layout({{"a\\b.txt", Text("B")}}));
  linked.Dest = kit::S(root / "destlink");
  linked.UseTree();
  linked.Q.DestinationRoot = linked.Dest;
  linked.ExtractAll();
  EXPECT_TRUE(linked.Errors.empty());
  EXPECT_EQ(ReadFile(kit::S(root / "real-dest/a/b.txt")), Text("B"));
}
#endif

// Damaged members stop the run with a clear message, never spin, never write past FileSize,
// and leave an existing target as it was.
TEST(Extract, DamagedMembers) {
  const Bytes data = Prose(50000);
  const Bytes good = Layout({{"m.txt", data}});
  const size_t rec = RecordAt(good, 0);
  const size_t pos = static_cast<size_t>(GetInt32(good, rec + 126));
  const int32_t csize = GetInt32(good, rec + 130);
  auto patched = [&](size_t at, int64_t value) {
    Bytes b = good;
    PutInt32(b, at, value);
    return b;
  };
  Bytes flipped = good;
  for (size_t i = pos + 10; i < pos + 40; ++i) flipped[i] ^= 0x5A;
  Bytes wrongAdler = good;
  wrongAdler[pos + static_cast<size_t>(csize) - 1] ^= 1;
  Bytes dict = good;
  dict[pos + 1] = 0xBB;  // FDICT: asks for a preset dictionary
  Bytes trailing = good;
  PutInt32(trailing, rec + 13, GetInt32(good, rec + 13) + 3);  // range reaches past the stream
  trailing.insert(trailing.end(), {1, 2, 3});
  const std::string mismatch = kMismatch + std::string("m.txt");
  struct Case {
    const char* What;
    Bytes Archive;
    std::string Error;  // empty: extracts correctly
  } cases[] = {
      {"intact", good, ""},
      {"bytes after the stream within its range", trailing, ""},
      {"FileSize too small (a bomb)", patched(rec + 122, 4096), mismatch},
      {"FileSize too large", patched(rec + 122, 50001), mismatch},
      {"FileSize negative", patched(rec + 122, -1), mismatch},
      // Without its whole stream a member is corrupt, even when its size came out right.
      {"stream cut short", patched(rec + 13, pos + csize / 2), "error"},
      {"stream ends before its trailer", patched(rec + 13, pos + csize - 5), "error"},
      {"stream ends inside its trailer", patched(rec + 13, pos + csize - 3), "error"},
      {"LastByte before the data", patched(rec + 13, 0), "error"},
      {"DataPosition past the end", patched(rec + 126, 1 << 30), "error"},
      {"DataPosition negative", patched(rec + 126, -100000), "error"},
      {"corrupt deflate data", flipped, "error"},
      {"wrong Adler-32", wrongAdler, "error"},
      {"preset dictionary", dict, "error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TRun run(c.Archive);
    fs::create_directories(kit::P(run.Dest));
    WriteFile(run.Out("m.txt"), Text("old"));
    std::exception_ptr error;
    try {
      run.ExtractAll();
    } catch (...) {
      error = std::current_exception();
    }
    if (c.Error.empty()) {
      EXPECT_FALSE(error) << What(error);
      EXPECT_EQ(ReadFile(run.Out("m.txt")), data);
      continue;
    }
    ASSERT_TRUE(error);
    EXPECT_EQ(What(error), c.Error);
    EXPECT_TRUE(run.Q.Abort);
    EXPECT_EQ(ReadFile(run.Out("m.txt")), Text("old"));
    EXPECT_EQ(run.Written(), std::vector<std::string>{"dest/m.txt"});
    for (auto& s : run.Status) EXPECT_LE(s.FileBytesDone, std::max(s.FileSize, 0));
  }
}

// The archive can start anywhere in a file and be followed by anything (a signature, say).
// The program finds its own file: this test program, by its name, where it really is.
TEST(FileLayer, OwnExecutable) {
  const std::optional<std::string> self = fsys::OwnExecutable();
  ASSERT_TRUE(self);
  EXPECT_TRUE(fsys::FileExists(*self)) << *self;
  EXPECT_EQ(LastComponent(*self).rfind("archive_tests", 0), 0u) << *self;
}

TEST(Extract, AppendedArchive) {
  Bytes file = Noise(302080, 9);
  Bytes archive = Layout({{"setup.inf", Prose(700)}, {"data.pak", Noise(5000)}});
  file.insert(file.end(), archive.begin(), archive.end());
  Bytes signature = Noise(4000, 3);
  file.insert(file.end(), signature.begin(), signature.end());
  TRun run(file, "Setup.exe");
  run.Q.Offset = 302080;
  run.ExtractAll();
  EXPECT_EQ(ReadFile(run.Out("setup.inf")), Prose(700));
  EXPECT_EQ(ReadFile(run.Out("data.pak")), Noise(5000));
}

// Hostile dates still give a file with some valid date.
TEST(Extract, DatesOutsideTheDosRange) {
  for (double date : {0.0, -1e9, 1e12, std::nan(""), 29221.0, 75000.0}) {
    TRun run(Layout({{"d.txt", Text("d"), date}}));
    run.ExtractAll();
    EXPECT_EQ(ReadFile(run.Out("d.txt")), Text("d")) << date;
    EXPECT_TRUE(fsys::FileDateTime(run.Out("d.txt"))) << date;
  }
}

// Members continue over disk files; a missing disk is asked for up to four times.
TEST(Extract, SpannedSets) {
  for (auto parts : std::vector<std::vector<size_t>>{{1000}, {10, 20000}, {1, 1, 1}, {29990}}) {
    TSpanned set(parts);
    TQuillCompress q;
    q.SetCompressedFile(set.Disks[0]);
    q.ExtractDirectory = set.Dir / "out";
    q.SetFilesToProcess({"big.bin"});
    q.ExtractFiles();
    EXPECT_EQ(ReadFile(set.Dir / "out/big.bin"), set.Data) << parts.size();
    EXPECT_EQ(q.CompressedFile(), set.Disks.back());
    EXPECT_TRUE(q.HeadersLoaded());
  }

  struct Case {
    bool Handler;
    int Answers;  // how many asks until the handler names the right folder (0: never)
    std::string Error;
    int Asked;
  } cases[] = {
      {false, 0, "Could not open the correct disk file 2", 0},
      {true, 1, "", 1},
      {true, 4, "", 4},
      {true, 0, "Cannot open the compressed file <wrong>/set.2", 4},
  };
  for (const auto& c : cases) {
    TSpanned set({1000}, "disk2");
    std::string wrong = set.Dir / "wrong";
    int asked = 0;
    TQuillCompress q;
    q.SetCompressedFile(set.Disks[0]);
    q.ExtractDirectory = set.Dir / "out";
    if (c.Handler)
      q.OnNewDisk = [&](TQuillCompress&, int disk, std::string& path) {
        EXPECT_EQ(disk, 2);
        ++asked;
        path = asked == c.Answers ? set.Dir / "disk2" : wrong;
      };
    q.SetFilesToProcess({"big.bin"});
    std::string error;
    try {
      q.ExtractFiles();
    } catch (const EQuillCompress& e) {
      error = e.what();
    }
    std::string expected = c.Error;
    if (auto at = expected.find("<wrong>/"); at != std::string::npos)
      expected.replace(at, 8, IncludeTrailingDelimiter(wrong));
    EXPECT_EQ(error, expected);
    EXPECT_EQ(asked, c.Asked);
    if (c.Error.empty()) {
      EXPECT_EQ(ReadFile(set.Dir / "out/big.bin"), set.Data);
    }
  }
}

// At a disk's end the output block ends too: its status shows what that disk's bytes held
// (every whole symbol), and the next disk starts a fresh block; a disk that adds no whole
// symbol gives no status. The same figures from both inflaters.
TEST(Extract, SpannedStatusAtDiskEnds) {
  const Bytes noise = Noise(10000, 8);
  const struct {
    const char* What;
    Bytes Data, Stream;
    std::vector<size_t> Parts;  // stream bytes on each disk but the last
    std::vector<int32_t> Done;  // FileBytesDone of each status; the last one has FileDone
  } cases[] = {
      // Disk 1: 2 + 5 header bytes, 2,993 data bytes; disk 2: 5,000; disk 3: 2,007 and the
      // trailer.
      {"stored, three disks",
       noise,
       StoredStream(noise),
       {3000, 5000},
       {2993, 7089, 7993, 10000, 10000}},
      {"stored, the trailer alone on disk 2",
       noise,
       StoredStream(noise),
       {10007},
       {4096, 8192, 10000, 10000}},
      {"stored, a disk ending with a full block",
       noise,
       StoredStream(noise),
       {4103},
       {4096, 8192, 10000, 10000}},
      // 1,000 deflate bytes hold 3 header bits and 999 whole literals of 8 bits.
      {"fixed, a literal split between disks",
       Bytes(5000, 'x'),
       FixedLiterals(5000, 'x'),
       {1002},
       {999, 5000, 5000}},
      // Disk 1 holds the first header byte only, disk 2 the second and 5 bits of deflate data.
      {"fixed, disks without a whole symbol",
       Bytes(5000, 'x'),
       FixedLiterals(5000, 'x'),
       {1, 2},
       {4096, 5000, 5000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TSpanned set(c.Data, c.Stream, c.Parts);
    ASSERT_EQ(set.Disks.size(), c.Parts.size() + 1);
    std::vector<int32_t> done;
    TQuillCompress q;
    q.SetCompressedFile(set.Disks[0]);
    q.ExtractDirectory = set.Dir / "out";
    q.OnStatus = [&](TQuillCompress&, const TlzhFileStats& s) {
      done.push_back(s.FileBytesDone);
      EXPECT_EQ(s.FileDone, done.size() == c.Done.size());
    };
    q.SetFilesToProcess({"big.bin"});
    q.ExtractFiles();
    EXPECT_EQ(done, c.Done);
    EXPECT_EQ(ReadFile(set.Dir / "out/big.bin"), c.Data);
  }
}

// A member is sound only with its whole stream, trailer included, also over disks: data that
// ends before the trailer is corrupt even when every byte came out.
TEST(Extract, SpannedMemberWithoutItsTrailer) {
  const Bytes noise = Noise(10000, 8);
  Bytes cut = StoredStream(noise);
  cut.resize(cut.size() - 4);
  for (auto parts : std::vector<std::vector<size_t>>{{3000}, {10003}}) {
    TSpanned set(noise, cut, parts);
    TQuillCompress q;
    q.SetCompressedFile(set.Disks[0]);
    q.ExtractDirectory = set.Dir / "out";
    q.SetFilesToProcess({"big.bin"});
    std::string error;
    try {
      q.ExtractFiles();
    } catch (const std::exception& e) {
      error = e.what();
    }
    EXPECT_EQ(error, "error") << parts[0];
    EXPECT_TRUE(q.Abort);
    EXPECT_FALSE(fs::exists(kit::P(set.Dir / "out/big.bin")));
  }
}

#ifdef _WIN32
// A target held open by another program, whatever it shares, is found out before its member is
// inflated and reported as the sharing violation it is; it keeps its content and the run goes
// on. Anything else in the way keeps its own code.
TEST(Extract, TargetInUse) {
  struct Case {
    DWORD Share;  // the other program's share mode; ~0u: a folder at the target instead
    int Code;
  } cases[] = {
      {0, ERROR_SHARING_VIOLATION},
      {FILE_SHARE_READ, ERROR_SHARING_VIOLATION},
      {FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, ERROR_SHARING_VIOLATION},
      {~0u, ERROR_ACCESS_DENIED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Share);
    TRun run(Layout({{"busy.dll", Noise(10000)}, {"free.txt", Text("F")}}));
    fs::create_directories(kit::P(run.Dest));
    TFileHandle h;
    if (c.Share == ~0u) {
      fs::create_directories(kit::P(run.Out("busy.dll")));
    } else {
      WriteFile(run.Out("busy.dll"), Text("old"));
      h = TFileHandle::FromCreate(CreateFileW(kit::P(run.Out("busy.dll")).c_str(), GENERIC_READ,
                                              c.Share, nullptr, OPEN_EXISTING, 0, nullptr));
      ASSERT_TRUE(h);
    }
    run.ExtractAll();
    h.Reset();
    ASSERT_EQ(run.Errors.size(), 1u);
    EXPECT_EQ(run.Errors[0].Path, run.Out("busy.dll"));
    EXPECT_EQ(run.Errors[0].Code, c.Code);
    // Not inflated: no status for it at all.
    for (const TlzhFileStats& s : run.Status) EXPECT_EQ(s.FileName, "free.txt");
    if (c.Share != ~0u) {
      EXPECT_EQ(ReadFile(run.Out("busy.dll")), Text("old"));
    }
    EXPECT_EQ(ReadFile(run.Out("free.txt")), Text("F"));
    EXPECT_EQ(run.Written().size(), c.Share == ~0u ? 1u : 2u);
  }
}
#endif
