// The preparation's work: which members name the package and the description, the copy of
// the executable's own data into the private folder, and the members extracted beside it.
#include <gtest/gtest.h>

#include "ArchiveKit.h"
#include "diaLoadRun.h"
#include "uPaths.h"

namespace {

using kit::Bytes;

std::string Dir(const kit::TTempDir& d) { return IncludeTrailingDelimiter(d.Str()); }

// Member names as listed, and what the package and description become after all of them.
TEST(LoadRun, ListedMembersNamePackageAndDescription) {
  struct Case {
    std::vector<std::string> Members;
    const char* Package;
    const char* InfFile;
  } cases[] = {
      {{"demo.inf", "demo.pak"}, "demo.pak", "demo.inf"},
      {{"DEMO.PAK", "Setup.Inf"}, "DEMO.PAK", "Setup.Inf"},   // any letter case
      {{"a.pak", "b.pak"}, "b.pak", ""},                      // the last one wins
      {{"sub\\x.pak", "readme.txt", "x.paks"}, "x.pak", ""},  // folders dropped, exact ext
      {{"pak", "inf.", ".inf"}, "", ".inf"},                  // a name that is all extension
  };
  for (const Case& c : cases) {
    TApplicationInfo info{std::string()};
    for (const std::string& m : c.Members) NoteLoadedMember(m, info);
    EXPECT_EQ(info.Package, c.Package) << c.Members.front();
    EXPECT_EQ(info.InfFile, c.InfFile) << c.Members.front();
  }
}

struct TPrepared {
  kit::TTempDir Work;
  TSetupRun Run;
  TLoadRequest Request;
  TQuillCompress Loader;
  std::vector<int> Percents;
  TLoadView View;
  TPrepared() {
    Request.WorkDir = Dir(Work);
    View.Status = [this](const TlzhFileStats& s) { Percents.push_back(s.TotalPercent); };
  }
};

const std::vector<kit::TMember> kMembers = {
    {"demo.inf", kit::Text("[ApplicationInfo]\r\nTitle=Demo\r\n")},
    {"demo.pak", kit::Noise(40001)},
    {"other.txt", kit::Prose(4096)},
};

TEST(LoadRun, ExternalArchiveIsExtractedInPlace) {
  kit::TTempDir source;
  const std::string archive = source / "data.arc";
  kit::WriteFile(archive, kit::Layout(kMembers));
  TPrepared p;
  p.Request.ArchivePath = archive;
  RunPreparation(p.Run, p.Request, p.Loader, p.View);
  EXPECT_EQ(p.Request.ArchivePath, archive);
  EXPECT_EQ(p.Run.AppInfo.Package, "demo.pak");
  EXPECT_EQ(p.Run.AppInfo.InfFile, "demo.inf");
  EXPECT_FALSE(p.Run.InstallFailed);
  for (const kit::TMember& m : kMembers) EXPECT_EQ(kit::ReadFile(p.Work / m.RawName), m.Data);
  ASSERT_FALSE(p.Percents.empty());
  EXPECT_EQ(p.Percents.back(), 100);
  EXPECT_FALSE(kit::fs::exists(kit::P(ArchiveCopyPath(p.Request.WorkDir))));
}

// The executable's data range, at sizes around the copy's 40,000-byte chunk, is copied whole
// into a folder of its own, so a member named like the copy cannot overwrite it.
TEST(LoadRun, OwnDataIsCopiedIntoThePrivateFolder) {
  for (size_t pad : {size_t(0), size_t(39999), size_t(40000), size_t(40001)}) {
    std::vector<kit::TMember> members = kMembers;
    members.push_back({"setup.kro", kit::Prose(pad + 1)});
    members.push_back({"archive", kit::Text("not a folder")});
    const Bytes archive = kit::Layout(members);
    kit::TTempDir exeDir;
    Bytes exe = kit::Noise(1000 + pad, 7);
    exe.insert(exe.end(), archive.begin(), archive.end());
    exe.insert(exe.end(), 300, 0xEE);  // a signature after the data is not copied
    kit::WriteFile(exeDir / "setup.exe", exe);

    TPrepared p;
    p.Request.ExePath = exeDir / "setup.exe";
    p.Request.Range.Begin = int64_t(1000 + pad);
    p.Request.Range.End = p.Request.Range.Begin + int64_t(archive.size());
    RunPreparation(p.Run, p.Request, p.Loader, p.View);
    EXPECT_EQ(p.Request.ArchivePath, ArchiveCopyPath(p.Request.WorkDir));
    EXPECT_EQ(kit::ReadFile(p.Request.ArchivePath), archive) << pad;
    EXPECT_EQ(kit::ReadFile(p.Work / "setup.kro"), members[3].Data);
    EXPECT_EQ(kit::ReadFile(p.Work / "demo.pak"), kMembers[1].Data);
    EXPECT_EQ(p.Run.AppInfo.Package, "demo.pak");
  }
}

// What ends a preparation with an exception (the page shows it and closes).
TEST(LoadRun, FailuresRaise) {
  {
    TPrepared p;  // no executable to copy from
    p.Request.ExePath = p.Work / "missing.exe";
    p.Request.Range = {0, 100, 100};
    EXPECT_THROW(RunPreparation(p.Run, p.Request, p.Loader, p.View), Exception);
  }
  {
    TPrepared p;  // no private folder to work in
    p.Request.ArchivePath = p.Work / "missing.arc";
    p.Request.WorkDir.clear();
    EXPECT_THROW(RunPreparation(p.Run, p.Request, p.Loader, p.View), Exception);
  }
  {
    TPrepared p;  // an external archive that is not there
    p.Request.ArchivePath = p.Work / "missing.arc";
    EXPECT_THROW(RunPreparation(p.Run, p.Request, p.Loader, p.View), EQuillCompress);
  }
  {
    TPrepared p;  // a directory whose member data lies beyond the file: corrupt
    kit::TTempDir source;
    Bytes archive = kit::Layout(kMembers);
    archive.resize(archive.size() - 10);
    kit::WriteFile(source / "cut.arc", archive);
    p.Request.ArchivePath = source / "cut.arc";
    try {
      RunPreparation(p.Run, p.Request, p.Loader, p.View);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "error");
    }
  }
}

TEST(LoadRun, AbortedMessage) {
  EXPECT_EQ(LoadAbortedMessage(kGerman), "Die Installation wurde abgebrochen!");
  EXPECT_EQ(LoadAbortedMessage(kEnglish), "The installation was aborted!");
}

}  // namespace
