#include <gtest/gtest.h>

#include <algorithm>

#include "KropackKit.h"

using namespace kit;

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Mixed content: runs of prose and of noise, so that sizes straddle the engine's blocks with
// both compressible and incompressible data.
Bytes Mixed(size_t n, uint32_t seed) {
  Bytes prose = Prose(n), noise = Noise(n, seed), out(n);
  for (size_t i = 0; i < n; ++i) out[i] = (i / 3000) % 2 ? noise[i] : prose[i];
  return out;
}

struct TFileCase {
  std::string Name;  // relative, '/' between folders
  size_t Size;
};

// Names with code page 1252 letters and nested folders; sizes around the 4 KiB output block
// and the 40,000-byte copy chunk, an empty file and a large odd one. The last name is 100
// bytes in code page 1252 although longer in UTF-8.
const std::vector<TFileCase> kTree = {
    {"leer.txt", 0},
    {"eins.bin", 1},
    {"Ärger/Übersicht ß.txt", 4095},
    {"Ärger/genau.bin", 4096},
    {"Ärger/tief/drüber.bin", 4097},
    {"a/b/c/d/39999.dat", 39999},
    {"a/b/c/d/40000.dat", 40000},
    {"a/b/40001.dat", 40001},
    {"groß/ungerade.bin", 1'234'567},
    {std::string(96, 'x') + "ä.tx", 10},
};

std::string Stored(std::string name) {
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

class KropackRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    uint32_t seed = 1;
    for (const auto& f : kTree) Put(Dir, "src/" + f.Name, Mixed(f.Size, seed++));
  }
  TTempDir Dir;
};

// Pack, list, test and extract give back every name, byte and date (to two seconds).
TEST_F(KropackRoundTrip, PackListTestExtractTree) {
  TRun pack = Kropack(Dir, {"pack", "-C", Dir / "src", Dir / "all.pak", "."});
  ASSERT_EQ(pack.Exit, 0) << pack.Err;
  EXPECT_FALSE(Contains(pack.Err, "\r")) << "no progress line when stderr is no terminal";

  TRun list = Kropack(Dir, {"list", Dir / "all.pak"});
  ASSERT_EQ(list.Exit, 0) << list.Err;
  auto lines = Lines(list.Out);
  ASSERT_EQ(lines.size(), kTree.size() + 2);
  // Directory order is the sorted walk: every folder's entries by name.
  std::vector<std::string> listed;
  for (size_t i = 1; i + 1 < lines.size(); ++i) listed.push_back(lines[i].substr(48));
  std::vector<std::string> expected;
  for (const auto& f : kTree) expected.push_back(Stored(f.Name));
  std::vector<std::string> sorted = expected;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(listed, sorted);
  EXPECT_TRUE(Contains(lines.back(), std::to_string(kTree.size()) + " members"));

  TRun test = Kropack(Dir, {"test", Dir / "all.pak"});
  EXPECT_EQ(test.Exit, 0) << test.Err;
  EXPECT_TRUE(Contains(test.Out, std::to_string(kTree.size()) + " members tested, all sound"));

  TRun extract = Kropack(Dir, {"extract", "--tree", "-d", Dir / "out", Dir / "all.pak"});
  ASSERT_EQ(extract.Exit, 0) << extract.Err;
  for (const auto& f : kTree) {
    SCOPED_TRACE(f.Name);
    EXPECT_EQ(ReadFile(Dir / ("out/" + f.Name)), ReadFile(Dir / ("src/" + f.Name)));
    EXPECT_EQ(DosStamp(Dir / ("out/" + f.Name)), DosStamp(Dir / ("src/" + f.Name)));
  }
}

// Without --tree every member lands in DIR under its last component; named members only.
TEST_F(KropackRoundTrip, FlatAndSelectedMembers) {
  ASSERT_EQ(Kropack(Dir, {"pack", "-C", Dir / "src", Dir / "all.pak", "Ärger", "eins.bin"}).Exit,
            0);
  struct TCase {
    std::vector<std::string> Options;
    std::vector<std::string> Members;  // as typed
    std::vector<std::string> Expect;   // files below out/
  };
  // Requests match stored names with either slash and any case of A to Z.
  const std::vector<TCase> cases = {
      {{}, {}, {"eins.bin", "drüber.bin", "genau.bin", "Übersicht ß.txt"}},
      {{}, {"ärger/GENAU.BIN"}, {}},  // umlauts keep their case: no match, nothing written
      {{}, {"ÄRGER/GENAU.BIN"}, {"genau.bin"}},
      {{"--tree"}, {"Ärger\\tief\\drüber.bin", "eins.bin"}, {"Ärger/tief/drüber.bin", "eins.bin"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Members.empty() ? "all" : c.Members[0]);
    fs::remove_all(P(Dir / "out"));
    std::vector<std::string> args = {"extract", "-d", Dir / "out"};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    args.push_back(Dir / "all.pak");
    args.insert(args.end(), c.Members.begin(), c.Members.end());
    TRun run = Kropack(Dir, args);
    EXPECT_EQ(run.Exit, c.Expect.empty() ? 1 : 0) << run.Err;
    std::vector<std::string> found;
    if (fs::exists(P(Dir / "out")))
      for (const auto& e : fs::recursive_directory_iterator(P(Dir / "out")))
        if (e.is_regular_file()) {
          std::string rel = S(fs::relative(e.path(), P(Dir / "out")).generic_u8string());
          found.push_back(rel);
        }
    std::sort(found.begin(), found.end());
    std::vector<std::string> expect = c.Expect;
    std::sort(expect.begin(), expect.end());
    EXPECT_EQ(found, expect);
  }
}

// With the default folder, names are relative to the current folder; -C names another.
TEST(Kropack, DefaultFolderIsCurrent) {
  TTempDir dir;
  Put(dir, "w/sub/f.txt", Text("x"));
  auto previous = fs::current_path();
  fs::current_path(P(dir / "w"));
  TRun run = Kropack(dir, {"pack", dir / "a.pak", "sub"});
  fs::current_path(previous);
  ASSERT_EQ(run.Exit, 0) << run.Err;
  EXPECT_TRUE(Contains(Kropack(dir, {"list", dir / "a.pak"}).Out, " sub\\f.txt\n"));
}

// Names that cannot be stored or would not come out on Windows are refused, nothing is written,
// and an archive that was there stays as it was.
TEST(Kropack, PackRefusals) {
  struct TCase {
    std::string File;
    std::string Message;
  };
  std::vector<TCase> cases = {
      {std::string(97, 'x') + ".txt", "is 101 bytes long in code page 1252"},
      {std::string(50, 'a') + "/" + std::string(49, 'b') + ".t", "is 102 bytes long"},
      {"\xCE\xA9mega.txt", "code page 1252 cannot represent"},  // Greek capital omega
      {"semi;colon.txt", "holds a semicolon"},
#ifndef _WIN32
      // Names Windows itself would never let us create.
      {"sub/aux.txt", "cannot be created on Windows"},
      {"trailing.", "cannot be created on Windows"},
      {"back\\slash", "cannot be created on Windows"},
      {"a:b", "cannot be created on Windows"},
      {"sub/COM0", "cannot be created on Windows"},
      {"lpt0.log", "cannot be created on Windows"},
      {"COM\xC2\xB9.txt", "cannot be created on Windows"},  // superscript one
      {"sub/lpt\xC2\xB3", "cannot be created on Windows"},  // superscript three
      {"CONIN$", "cannot be created on Windows"},
      {"conout$.txt/x", "cannot be created on Windows"},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    TTempDir dir;
    Put(dir, "src/ok.txt", Text("fine"));
    Put(dir, "src/" + c.File, Text("refused"));
    WriteFile(dir / "old.pak", Text("previous archive"));
    TRun run = Kropack(dir, {"pack", "-C", dir / "src", dir / "old.pak", "."});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(Contains(run.Err, c.Message)) << run.Err;
    EXPECT_EQ(ReadFile(dir / "old.pak"), Text("previous archive"));
    EXPECT_FALSE(fs::exists(P(dir / "old.pak.~kro")));
  }
}

#ifndef _WIN32
// Names that differ only in case would be one file (or a file and a folder) on Windows, which
// folds every code page 1252 letter with a partner; signs and letters without one stay apart.
TEST(Kropack, CaseTwins) {
  const struct {
    std::vector<std::string> Files;
    bool Twins;
  } cases[] = {
      {{"Read.me", "READ.ME"}, true},
      {{"Docs", "docs/a.txt"}, true},
      {{"x/Docs/a.txt", "x/DOCS"}, true},
      {{"Ärger.txt", "ärger.txt"}, true},
      {{"Þorn/ÀÉÎÕÜÝ", "þorn/àéîõüý"}, true},
      {{"Šuma", "šuma/a"}, true},
      {{"ŒUVRE.txt", "œuvre.txt"}, true},
      {{"Žaba", "žaba"}, true},
      {{"Ÿ.txt", "ÿ.txt"}, true},
      {{"×.txt", "÷.txt"}, false},
      {{"ß.txt", "ÿ.txt"}, false},  // ÿ's partner is Ÿ, not the byte 0x20 below it
      {{"µ.txt", "ƒ.txt", "ª.txt", "º.txt"}, false},
      {{"Šnur/a.txt", "šnur/b.txt"}, false},  // one folder on Windows, two files in it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Files[1]);
    TTempDir dir;
    for (const auto& f : c.Files) Put(dir, "src/" + f, Text(f));
    TRun run = Kropack(dir, {"pack", "-C", dir / "src", dir / "a.pak", "."});
    EXPECT_EQ(run.Exit, c.Twins ? 1 : 0) << run.Err;
    EXPECT_EQ(Contains(run.Err, "differ only in the case"), c.Twins) << run.Err;
    EXPECT_EQ(fs::exists(P(dir / "a.pak")), !c.Twins);
  }
}
#endif

// An archive written into the folder it packs leaves its previous version out, and a path
// named twice is stored once.
TEST(Kropack, PacksNeitherItselfNorTwice) {
  TTempDir dir;
  Put(dir, "f.txt", Text("x"));
  Put(dir, "self.pak", Text("old"));
  ASSERT_EQ(Kropack(dir, {"pack", "-C", dir.Str(), dir / "self.pak", ".", "f.txt"}).Exit, 0);
  TRun list = Kropack(dir, {"list", dir / "self.pak"});
  EXPECT_EQ(Lines(list.Out).size(), 3u) << list.Out;
}

// Usage errors end with status 2 and say so; --help answers every command with status 0.
TEST(Kropack, UsageErrors) {
  TTempDir dir;
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"pack"},
      {"pack", "a.pak"},
      {"pack", "a.pak", "../up"},
      {"pack", "a.pak", "/rooted"},
      {"pack", "-X", "a.pak", "f"},
      {"list"},
      {"list", "a.pak", "b.pak"},
      {"list", "--offset"},
      {"list", "--offset", "-5", "a.pak"},
      {"list", "--offset=12x", "a.pak"},
      {"test"},
      {"extract"},
      {"extract", "--tree=yes", "a.pak"},
      {"extract", "-d", "x", "-d", "y", "a.pak"},
      {"setup", "--stub", "s.exe", "--inf", "a.inf", "--package", "p"},
      {"setup", "--stub", "s.exe", "--inf", "a.inf", "--package", "p", "-o", "o.exe", "extra"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.empty() ? "(none)" : args[0] + " ...");
    TRun run = Kropack(dir, args);
    EXPECT_EQ(run.Exit, 2) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "usage: kropack")) << run.Err;
  }
  for (std::string command : {"pack", "list", "test", "extract", "setup"}) {
    TRun run = Kropack(dir, {command, "--help"});
    EXPECT_EQ(run.Exit, 0);
    EXPECT_TRUE(run.Out.starts_with("usage: kropack " + command + " ")) << run.Out;
  }
  EXPECT_EQ(Kropack(dir, {"--help"}).Exit, 0);
}

// The listing's columns: sizes, ratio, date and time, then the name to the end of the line.
TEST(Kropack, ListFormat) {
  TTempDir dir;
  Put(dir, "src/empty file.txt", {});
  Put(dir, "src/zeros.bin", Bytes(10'000, 0));
  for (auto name : {"src/empty file.txt", "src/zeros.bin"})
    ASSERT_TRUE(fsys::SetFileDosDateTime(dir / name, (41 << 9) | (6 << 5) | 15,
                                         (10 << 11) | (20 << 5) | 15));
  ASSERT_EQ(Kropack(dir, {"pack", "-C", dir / "src", dir / "a.pak", "."}).Exit, 0);
  TRun list = Kropack(dir, {"list", dir / "a.pak"});
  ASSERT_EQ(list.Exit, 0);
  auto lines = Lines(list.Out);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "      Size     Packed Ratio Date       Time     Name");
  EXPECT_EQ(lines[1], "         0          8     - 2021-06-15 10:20:30 empty file.txt");
  EXPECT_TRUE(lines[2].starts_with("     10000         "));
  EXPECT_TRUE(lines[2].ends_with("    0% 2021-06-15 10:20:30 zeros.bin")) << lines[2];
  EXPECT_TRUE(lines[3].starts_with("     10000 ")) << lines[3];
  EXPECT_TRUE(lines[3].ends_with("0%                     2 members")) << lines[3];
}

// A hostile name is shown on one line: control characters cannot break the listing.
TEST(Kropack, ListShowsControlCharactersAsQuestionMarks) {
  TTempDir dir;
  WriteFile(dir / "evil.pak", Layout({{"a\nb\x1b[2J", Text("x")}}));
  TRun list = Kropack(dir, {"list", dir / "evil.pak"});
  ASSERT_EQ(list.Exit, 0);
  EXPECT_TRUE(Contains(list.Out, " a?b?[2J\n")) << list.Out;
}

// An archive inside another file: found with --offset, bytes after it ignored.
TEST(Kropack, Offset) {
  TTempDir dir;
  Bytes file(1234, 'M');
  Bytes archive = Layout({{"sub\\one.txt", Text("eins")}, {"two.txt", Prose(5000)}});
  file.insert(file.end(), archive.begin(), archive.end());
  Bytes signature = Noise(300);
  file.insert(file.end(), signature.begin(), signature.end());
  WriteFile(dir / "host.exe", file);

  EXPECT_EQ(Kropack(dir, {"list", dir / "host.exe"}).Exit, 1);
  EXPECT_TRUE(
      Contains(Kropack(dir, {"list", "--offset", "1234", dir / "host.exe"}).Out, "2 members"));
  EXPECT_EQ(Kropack(dir, {"test", "--offset=1234", dir / "host.exe"}).Exit, 0);
  TRun run =
      Kropack(dir, {"extract", "--offset", "1234", "--tree", "-d", dir / "out", dir / "host.exe"});
  EXPECT_EQ(run.Exit, 0) << run.Err;
  EXPECT_EQ(ReadFile(dir / "out/sub/one.txt"), Text("eins"));
  EXPECT_EQ(ReadFile(dir / "out/two.txt"), Prose(5000));
}

// test finds every kind of damage, names the member and fails with status 1.
TEST(Kropack, TestFindsDamage) {
  struct TCase {
    const char* What;
    void (*Damage)(Bytes& archive, size_t record);
    const char* Message;
  };
  const std::vector<TCase> cases = {
      {"flipped data byte", [](Bytes& a, size_t r) { a[r + kHeaderSize + 40] ^= 0x55; },
       "corrupt data"},
      {"flipped Adler-32", [](Bytes& a, size_t r) { a[GetInt32(a, r + 13)] ^= 1; },
       "incorrect data check"},
      {"size too small", [](Bytes& a, size_t r) { PutInt32(a, r + 122, 100); },
       "inflates to more than its size of 100 bytes"},
      {"size too large", [](Bytes& a, size_t r) { PutInt32(a, r + 122, 9000); },
       "inflates to 8000 bytes instead of 9000"},
      {"stream cut short", [](Bytes& a, size_t r) { PutInt32(a, r + 13, GetInt32(a, r + 13) - 6); },
       "ends inside its zlib stream"},
      {"data begins beyond the file", [](Bytes& a, size_t r) { PutInt32(a, r + 126, 1 << 30); },
       "outside the archive"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TTempDir dir;
    Bytes archive = Layout({{"good.txt", Text("fine")}, {"bad.bin", Prose(8000)}});
    c.Damage(archive, RecordAt(archive, 1));
    WriteFile(dir / "a.pak", archive);
    TRun run = Kropack(dir, {"test", dir / "a.pak"});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(Contains(run.Out, "ok      ")) << run.Out;
    EXPECT_TRUE(Contains(run.Out, "FAILED  ")) << run.Out;
    EXPECT_TRUE(Contains(run.Err, "kropack: bad.bin: ")) << run.Err;
    EXPECT_TRUE(Contains(run.Err, c.Message)) << run.Err;
  }
}

// test passes exactly what setup unpacks: its verdict is the engine's, whatever zlib alone
// would say of the data, and names that setup cannot ask for or create fail.
TEST(Kropack, TestPredictsSetup) {
  struct TCase {
    const char* What;
    std::vector<TMember> Members;
    void (*Damage)(Bytes& archive);
    std::vector<std::string> Out;  // lines of standard output, Adler-32 values left out
    const char* Err;               // part of standard error
  };
  const std::vector<TCase> cases = {
      // zlib's own check refused a range past the file's end; setup reads what is there.
      {"range past the end of the file",
       {{"a.txt", Text("fine")}},
       [](Bytes& a) { PutInt32(a, RecordAt(a, 0) + 13, 1 << 30); },
       {"ok a.txt", "1 member tested, all sound"},
       ""},
      // Setup asks for members by name: a semicolon cuts the request short, and a twin
      // (A to Z in any case) gets the first one's content.
      {"names setup cannot ask for",
       {{"semi;colon.txt", Text("x")}, {"a.txt", Text("1")}, {"A.TXT", Text("2")}},
       nullptr,
       {"FAILED semi;colon.txt", "ok a.txt", "FAILED A.TXT", "2 of 3 members damaged"},
       "A.TXT: setup unpacks the earlier member of the same name in its place"},
      {"a device name",
       {{"CON.txt", Text("x")}},
       nullptr,
       {"FAILED CON.txt", "1 of 1 members damaged"},
       "CON.txt: setup cannot create it under this name"},
      // A setup file's package is tested with its folders, as the installation unpacks it.
      {"a setup file's package",
       {{"setup.inf", Text("[ApplicationInfo]")},
        {"data.pak", Layout({{"sub\\one.txt", Text("1")}, {"..\\up.txt", Text("2")}})}},
       nullptr,
       {"ok setup.inf", "ok data.pak", "ok data.pak\\sub\\one.txt", "FAILED data.pak\\..\\up.txt",
        "1 of 4 members damaged"},
       "data.pak\\..\\up.txt: setup cannot create it under this name"},
      {"a damaged member in the package",
       {{"setup.inf", Text("[ApplicationInfo]")},
        {"data.pak",
         [] {
           Bytes pak = Layout({{"x.bin", Prose(3000)}});
           PutInt32(pak, RecordAt(pak, 0) + 122, 2999);
           return pak;
         }()}},
       nullptr,
       {"ok setup.inf", "ok data.pak", "FAILED data.pak\\x.bin", "1 of 3 members damaged"},
       "data.pak\\x.bin: inflates to more than its size of 2999 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TTempDir dir;
    Bytes archive = Layout(c.Members);
    if (c.Damage) c.Damage(archive);
    WriteFile(dir / "a.pak", archive);
    TRun run = Kropack(dir, {"test", dir / "a.pak"});
    EXPECT_EQ(run.Exit, c.Out.back().find("sound") != std::string::npos ? 0 : 1);
    std::vector<std::string> out;
    for (std::string line : Lines(run.Out)) {
      // "ok      0123abcd name" and "FAILED           name" to "ok name", "FAILED name".
      if (line.starts_with("ok      ")) line = "ok " + line.substr(17);
      if (line.starts_with("FAILED  ")) line = "FAILED " + line.substr(17);
      out.push_back(line);
    }
    EXPECT_EQ(out, c.Out);
    EXPECT_TRUE(Contains(run.Err, c.Err)) << run.Err;
  }
}

// A member spread over two disk files is tested and extracted from both; without its second
// disk both commands fail and say why.
TEST(Kropack, SpannedSet) {
  const Bytes content = Prose(30'000);
  const Bytes z = Zlib(content);
  TSpanned set(content, z, {z.size() / 2}, "", "geteilt.txt");
  const TTempDir& dir = set.Dir;
  TRun test = Kropack(dir, {"test", dir / "set.1"});
  EXPECT_EQ(test.Exit, 0) << test.Err;
  TRun extract = Kropack(dir, {"extract", "-d", dir / "out", dir / "set.1"});
  EXPECT_EQ(extract.Exit, 0) << extract.Err;
  EXPECT_EQ(ReadFile(dir / "out/geteilt.txt"), content);

  fs::remove(P(dir / "set.2"));
  test = Kropack(dir, {"test", dir / "set.1"});
  EXPECT_EQ(test.Exit, 1);
  EXPECT_TRUE(Contains(test.Err, "cannot open the disk file")) << test.Err;
  extract = Kropack(dir, {"extract", "-d", dir / "out2", dir / "set.1"});
  EXPECT_EQ(extract.Exit, 1);
  EXPECT_TRUE(Contains(extract.Err, "Could not open the correct disk file 2")) << extract.Err;
  EXPECT_FALSE(fs::exists(P(dir / "out2/geteilt.txt")));
}

// Members whose names would leave the folder, or that cannot be requested by name, are
// reported and left out; the rest is written.
TEST(Kropack, ExtractRefusesEscapingNames) {
  TTempDir dir;
  WriteFile(dir / "evil.pak", Layout({{"..\\escape.txt", Text("no")},
                                      {"\\rooted.txt", Text("no")},
                                      {"c:drive.txt", Text("no")},
                                      {"sub\\..\\..\\up.txt", Text("no")},
                                      {"semi;colon.txt", Text("no")},
                                      {"sub\\ok.txt", Text("yes")}}));
  fs::create_directories(P(dir / "dest"));
  TRun run = Kropack(dir, {"extract", "--tree", "-d", dir / "dest", dir / "evil.pak"});
  EXPECT_EQ(run.Exit, 1);
  EXPECT_TRUE(Contains(run.Err, "5 members were not written")) << run.Err;
  EXPECT_EQ(ReadFile(dir / "dest/sub/ok.txt"), Text("yes"));
  EXPECT_EQ(Lines(run.Out).size(), 1u) << run.Out;
  EXPECT_TRUE(Contains(run.Out, "ok.txt")) << run.Out;
  size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir.Root))
    files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 2u) << "only evil.pak and sub/ok.txt";
}

#ifndef _WIN32
// A folder below DIR that links out of it refuses its members; nothing lands where it leads.
TEST(Kropack, ExtractNeverThroughALink) {
  TTempDir dir;
  WriteFile(dir / "a.pak", Layout({{"out\\x.txt", Text("no")}, {"in\\y.txt", Text("yes")}}));
  fs::create_directories(P(dir / "dest"));
  fs::create_directories(P(dir / "elsewhere"));
  fs::create_symlink(P(dir / "elsewhere"), P(dir / "dest/out"));
  TRun run = Kropack(dir, {"extract", "--tree", "-d", dir / "dest", dir / "a.pak"});
  EXPECT_EQ(run.Exit, 1);
  EXPECT_TRUE(Contains(run.Err, "cannot create " + dir / "dest/out/x.txt")) << run.Err;
  EXPECT_TRUE(Contains(run.Err, "1 member was not written")) << run.Err;
  EXPECT_EQ(ReadFile(dir / "dest/in/y.txt"), Text("yes"));
  EXPECT_TRUE(fs::is_empty(P(dir / "elsewhere")));
}
#endif

// A target that cannot be created is reported with the system's reason and status 1.
TEST(Kropack, ExtractIntoAFileFails) {
  TTempDir dir;
  WriteFile(dir / "a.pak", Layout({{"x.txt", Text("x")}}));
  WriteFile(dir / "blocker", Text("a file where the folder should be"));
  TRun run = Kropack(dir, {"extract", "-d", dir / "blocker", dir / "a.pak"});
  EXPECT_EQ(run.Exit, 1);
  EXPECT_TRUE(Contains(run.Err, "cannot create")) << run.Err;
  EXPECT_TRUE(Contains(run.Err, "(error ")) << run.Err;
  EXPECT_EQ(run.Out, "");
}

// A damaged member stops the run with the engine's message: the members before it are written
// and reported, it and those after it are neither.
TEST(Kropack, ExtractStopsAtDamage) {
  TTempDir dir;
  Bytes archive = Layout({{"one.txt", Text("1")}, {"two.txt", Prose(5000)}, {"three.txt", {}}});
  PutInt32(archive, RecordAt(archive, 1) + 122, 4000);  // inflates beyond its size
  WriteFile(dir / "a.pak", archive);
  TRun run = Kropack(dir, {"extract", "-d", dir / "out", dir / "a.pak"});
  EXPECT_EQ(run.Exit, 1);
  EXPECT_TRUE(Contains(run.Err, "The decompressed file's size does not match")) << run.Err;
  EXPECT_EQ(Lines(run.Out).size(), 1u) << run.Out;
  EXPECT_TRUE(Contains(run.Out, "one.txt")) << run.Out;
  EXPECT_TRUE(fs::exists(P(dir / "out/one.txt")));
  EXPECT_FALSE(fs::exists(P(dir / "out/two.txt")));
  EXPECT_FALSE(fs::exists(P(dir / "out/three.txt")));
}

// The engine's own message for an archive that is not there.
TEST(Kropack, MissingArchive) {
  TTempDir dir;
  for (std::string command : {"list", "test", "extract"}) {
    TRun run = Kropack(dir, {command, dir / "none.pak"});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(Contains(run.Err, "Cannot open the compressed file")) << run.Err;
  }
}

}  // namespace
