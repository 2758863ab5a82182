// The entry pages' decisions without windows: the page protocol, the destination page's faces,
// space and commit, the library page's texts, the picker's inverted keys.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "diaDestPathLogic.h"
#include "diaWelcomeLogic.h"
#include "dia_SelectFolderLogic.h"
#include "dialibsLogic.h"

namespace {

// ---- Page protocol -------------------------------------------------------------------------

TEST(PageProtocol, ReasonsMoveThePageCounter) {
  // Every closing reason with both answers of the confirmation: what closes, where PageNo goes,
  // and whether the page's commit and the confirmation ran.
  struct TCase {
    TClosingReason Reason;
    bool AbortWithoutAsking;
    bool Continue;  // the user's answer, if asked
    bool Close;
    int PageNo;
    bool Committed;
    bool Asked;
  } cases[] = {
      {crBack, false, false, true, 1, false, false},
      {crNext, false, false, true, 3, true, false},
      {crCancel, false, true, false, 2, false, true},
      {crCancel, false, false, true, 0, false, true},
      {crCancel, true, true, true, 0, false, false},
  };
  for (const TCase& c : cases) {
    bool committed = false, asked = false;
    const TCloseDecision d = PageCloseQuery(
        c.Reason, 2, c.AbortWithoutAsking, [&] { committed = true; },
        [&] {
          asked = true;
          return c.Continue;
        });
    SCOPED_TRACE(int(c.Reason));
    EXPECT_EQ(d.Close, c.Close);
    EXPECT_EQ(d.PageNo, c.PageNo);
    EXPECT_EQ(committed, c.Committed);
    EXPECT_EQ(asked, c.Asked);
  }
}

TEST(PageProtocol, CommitRunsBeforeTheCounterMoves) {
  int seen = -1;
  int pageNo = 2;
  const TCloseDecision d = PageCloseQuery(
      crNext, pageNo, false, [&] { seen = pageNo; }, nullptr);
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(d.PageNo, 3);
}

TEST(Welcome, Version) { EXPECT_EQ(SetupVersionText(), "Setup Version: 2.02"); }

// ---- Destination page: drive part, space, texts ----------------------------------------------

TEST(DestPath, DriveOf) {
  // Drive letters, complete network shares, and everything that names no drive.
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\KRO", "C:"},
      {"d:", "d:"},
      {"C:KRO", "C:"},
      {"\\\\server\\share\\kro", "\\\\server\\share"},
      {"\\\\server\\share", "\\\\server\\share"},
      {"\\\\server\\", ""},
      {"\\\\serv", ""},
      {"\\\\\\share", ""},
      {"KRO", ""},
      {"\\KRO", ""},
      {"1:\\KRO", ""},
      {"", ""},
  };
  for (const auto& [path, drive] : cases) EXPECT_EQ(DriveOf(path), drive) << path;
  EXPECT_EQ(FreeSpaceQueryPath("C:"), "C:");
  EXPECT_EQ(FreeSpaceQueryPath("\\\\server\\share"), "\\\\server\\share\\");
}

TEST(DestPath, FormatMegabytes) {
  // One decimal, rounded; thousands grouped with the user's separators.
  const TNumberSeparators en{",", "."}, de{".", ","};
  EXPECT_EQ(FormatMegabytes(0, en), "0.0 MB");
  EXPECT_EQ(FormatMegabytes(1048576, en), "1.0 MB");
  EXPECT_EQ(FormatMegabytes(1048576 * 1.25, en), "1.3 MB");
  EXPECT_EQ(FormatMegabytes(1048576 * 0.04, en), "0.0 MB");
  EXPECT_EQ(FormatMegabytes(1048576.0 * 999.96, en), "1,000.0 MB");
  EXPECT_EQ(FormatMegabytes(1048576.0 * 1234567.5, de), "1.234.567,5 MB");
  EXPECT_EQ(FormatMegabytes(1048576.0 * 123456, en), "123,456.0 MB");
}

TEST(DestPath, TextsInBothLanguages) {
  EXPECT_EQ(InstallationText(dkFixed, "C:\\KRO\\", 0), "Lokale Installation in C:\\KRO\\");
  EXPECT_EQ(InstallationText(dkRemote, "N:\\K\\", 0), "Netzwerkinstallation in N:\\K\\");
  EXPECT_EQ(InstallationText(dkOther, "A:\\", 0), "Installation an unbekanntem Ort in A:\\");
  EXPECT_EQ(InstallationText(dkFixed, "C:\\KRO\\", 1), "Local installation in C:\\KRO\\");
  EXPECT_EQ(InstallationText(dkRemote, "N:\\K\\", 1), "Remote installation in N:\\K\\");
  EXPECT_EQ(InstallationText(dkOther, "A:\\", 1), "Installation on unknown target in A:\\");
  EXPECT_EQ(NoPrimaryInstallationMessage(0),
            "Setup konnnte keine Erstinstallation finden. Vorgang wird abgebrochen!");
  EXPECT_EQ(NoPrimaryInstallationMessage(1),
            "Setup could not find any primary installation. Setup will be aborted!");
  EXPECT_EQ(ChangeFolderWarning(0),
            "ACHTUNG!\r\rWenn Sie den Zielort \xC3\xA4ndern, k\xC3\xB6nnen Sie nach der "
            "Installation nicht mehr auf die urspr\xC3\xBCngliche Installation zugreifen!");
  EXPECT_EQ(ChangeFolderWarning(1),
            "IMPORTANT!\r\rIf you change the target folder, further access to the previous "
            "installation is not longer possible!");
}

TEST(DestPath, UsableDestinations) {
  // Full paths are accepted; relative, empty, forbidden characters and text that the
  // configuration files cannot record are not.
  const std::pair<const char*, bool> cases[] = {
      {"C:\\KRO", true},
      {"C:\\", true},
      {"c:/kro", true},
      {"\\\\server\\share\\kro", true},
      {"C:\\Programme\\Kr\xC3\xB6", true},
      {"", false},
      {"KRO", false},
      {"C:", false},
      {"C:KRO", false},
      {"\\KRO", false},
      {"\\\\server", false},
      {"C:\\KRO\\a:b", false},
      {"C:\\K?RO", false},
      {"C:\\K\tRO", false},
      {"C:\\\xD0\x96", false},  // a Cyrillic letter
  };
  for (const auto& [path, usable] : cases) EXPECT_EQ(IsUsableDestination(path), usable) << path;
}

// ---- Destination page model ----------------------------------------------------------------

struct TFreeSpaceFake {
  std::map<std::string, double> Free;
  std::vector<std::string> Asked;
  double operator()(const std::string& path) {
    Asked.push_back(path);
    const auto it = Free.find(path);
    return it == Free.end() ? 0 : it->second;
  }
};

class DestPathModel : public ::testing::Test {
 protected:
  TFreeSpaceFake Fake{{{"C:", 500.0 * 1048576}, {"D:", 100.0 * 1048576}}, {}};
  TDestPathModel Model{0, TNumberSeparators{}, [this](const std::string& p) { return Fake(p); }};
};

TEST_F(DestPathModel, ThreeFaces) {
  // What each face shows, with and without a full installation.
  struct TCase {
    const char* Dest;
    bool Full;
    TDestFace Face;
    bool FoundOne, NotFound, EditPanel, InstallPanel, ChangeTarget;
    const char* Edit;
  } cases[] = {
      {"D:\\KRO\\", false, dfFound, true, false, false, true, false, "D:\\KRO\\"},
      {"D:\\KRO\\", true, dfFound, true, false, false, true, true, "D:\\KRO\\"},
      {"", true, dfManual, false, true, true, false, false, "C:\\KRO"},
      {"", false, dfAbort, false, false, false, false, false, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Dest) + (c.Full ? " full" : ""));
    Model.Show(c.Dest, c.Full, dkFixed, 10 * 1048576);
    EXPECT_EQ(Model.Face, c.Face);
    EXPECT_EQ(Model.FoundOne, c.FoundOne);
    EXPECT_EQ(Model.NotFound, c.NotFound);
    EXPECT_FALSE(Model.Manual);
    EXPECT_EQ(Model.EditPanel, c.EditPanel);
    EXPECT_EQ(Model.InstallPanel, c.InstallPanel);
    EXPECT_EQ(Model.ChangeTargetVisible, c.ChangeTarget);
    EXPECT_EQ(Model.EditText, c.Edit);
    EXPECT_EQ(Model.NeedText, "10.0 MB");
  }
}

TEST_F(DestPathModel, FoundFaceShowsKindAndFreeSpaceOfItsDrive) {
  Model.Show("D:\\KRO\\", false, dkRemote, 0);
  EXPECT_EQ(Model.InstallationLabel, "Netzwerkinstallation in D:\\KRO\\");
  EXPECT_EQ(Model.FreeText, "100.0 MB");
  EXPECT_TRUE(Model.NextEnabled);
  EXPECT_FALSE(Model.TypedDestination());  // Next keeps the found destination
}

TEST_F(DestPathModel, AbortFaceNeverEnablesNext) {
  Model.Show("", false, dkOther, 0);
  EXPECT_EQ(Model.FreeText, "0.0 MB");
  EXPECT_FALSE(Model.NextEnabled);
  EXPECT_TRUE(Fake.Asked.empty());
}

TEST_F(DestPathModel, NextNeedsStrictlyMoreFreeThanNeeded) {
  // Needed space below, equal to and above the free space of C: (500 MB).
  const std::pair<double, bool> cases[] = {
      {499.0 * 1048576, true}, {500.0 * 1048576, false}, {501.0 * 1048576, false}};
  for (const auto& [needed, enabled] : cases) {
    Model.Show("", true, dkOther, std::int64_t(needed));
    EXPECT_EQ(Model.NextEnabled, enabled) << needed;
  }
}

TEST_F(DestPathModel, TypingWithoutDriveKeepsTheLastFreeSpace) {
  Model.Show("", true, dkOther, 200.0 * 1048576);
  EXPECT_EQ(Model.FreeText, "500.0 MB");
  Model.EditChanged("D:\\X");
  EXPECT_EQ(Model.FreeText, "100.0 MB");
  EXPECT_FALSE(Model.NextEnabled);  // 200 MB needed
  const size_t asked = Fake.Asked.size();
  Model.EditChanged("KRO");
  EXPECT_EQ(Model.FreeText, "100.0 MB");
  EXPECT_EQ(Fake.Asked.size(), asked);
  Model.EditChanged("\\\\srv");  // half a network path: no query
  EXPECT_EQ(Fake.Asked.size(), asked);
  Model.EditChanged("\\\\srv\\share\\kro");
  EXPECT_EQ(Fake.Asked.back(), "\\\\srv\\share\\");
}

TEST_F(DestPathModel, RelativeOrEmptyFolderCannotBeCommitted) {
  Model.Show("", true, dkOther, 0);
  EXPECT_TRUE(Model.NextEnabled);
  for (const char* typed : {"", "KRO", "C:", "C:\\K|RO"}) {
    Model.EditChanged(typed);
    EXPECT_FALSE(Model.NextEnabled) << typed;
  }
  Model.EditChanged("C:\\Neu");
  EXPECT_TRUE(Model.NextEnabled);
  EXPECT_EQ(Model.TypedDestination(), "C:\\Neu");
}

TEST_F(DestPathModel, ChangeTargetTurnsFoundIntoManualEntry) {
  Model.Show("D:\\KRO\\", false, dkFixed, 0);
  Model.RevealChangeTarget();
  EXPECT_TRUE(Model.ChangeTargetVisible);
  Model.ChangeTarget();
  EXPECT_EQ(Model.Face, dfManual);
  EXPECT_TRUE(Model.Manual);
  EXPECT_TRUE(Model.EditPanel);
  EXPECT_FALSE(Model.InstallPanel || Model.FoundOne || Model.NotFound);
  EXPECT_EQ(Model.EditText, "C:\\KRO");
  EXPECT_EQ(Model.FreeText, "500.0 MB");
  EXPECT_EQ(Model.TypedDestination(), "C:\\KRO");  // without a trailing backslash
}

TEST(DestPathModelEnglish, KindAndSpaceInEnglish) {
  TDestPathModel model(1, TNumberSeparators{".", ","}, [](const std::string&) { return 3e9; });
  model.Show("C:\\KRO\\", false, dkFixed, 1536 * 1024);
  EXPECT_EQ(model.InstallationLabel, "Local installation in C:\\KRO\\");
  EXPECT_EQ(model.FreeText, "2.861,0 MB");
  EXPECT_EQ(model.NeedText, "1,5 MB");
}

// ---- Library page --------------------------------------------------------------------------

TEST(Libs, InstalledLibraryTexts) {
  // Every variant in both languages, variant 0 by whether this is a first installation.
  struct TCase {
    std::uint8_t Variant;
    bool First;
    const char* German;
    const char* English;
  } cases[] = {
      {0, true, "Keine", "None"},
      {0, false, "Unbekannt", "Unknown"},
      {1, false, "Client-Server-Bibliothek", "Client-Server library"},
      {2, false, "Client-Server-Bibliothek f\xC3\xBCr Novell Netware",
       "Client-Server library for Novell Netware"},
      {3, true, "Einzelplatz-Bibliothek", "Standalone local pc library"},
      {9, false, "Unbekannt", "Unknown"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(InstalledLibraryText(c.Variant, c.First, 0), c.German) << int(c.Variant);
    EXPECT_EQ(InstalledLibraryText(c.Variant, c.First, 1), c.English) << int(c.Variant);
  }
}

TEST(Libs, PreselectionAndCommitStayInsideTheList) {
  EXPECT_EQ(PreselectedItem(2), 2);
  EXPECT_EQ(PreselectedItem(200), 0);
  EXPECT_EQ(CommittedVariant(3), 3);
  EXPECT_EQ(CommittedVariant(0), 0);
  EXPECT_EQ(CommittedVariant(-1), 0);  // no selection never becomes variant 255
  EXPECT_EQ(CommittedVariant(4), 0);
}

// ---- Folder picker -------------------------------------------------------------------------

TEST(Picker, KeysAreInverted) {
  // F10 and Escape accept, F2 and Enter cancel; other keys go to the tree.
  EXPECT_EQ(PickerKeyDown(0x79), pkOk);
  EXPECT_EQ(PickerKeyDown(0x1B), pkOk);
  EXPECT_EQ(PickerKeyDown(0x71), pkCancel);
  EXPECT_EQ(PickerKeyDown(0x0D), pkCancel);
  EXPECT_EQ(PickerKeyDown(0x28), pkPass);  // down arrow
  EXPECT_EQ(PickerKeyPress(27), pkOk);
  EXPECT_EQ(PickerKeyPress(13), pkCancel);
  EXPECT_EQ(PickerKeyPress('a'), pkPass);
}

TEST(Picker, Result) {
  EXPECT_EQ(PickerResult("C:\\KRO", true, std::string("D:\\X")), "D:\\X");
  EXPECT_EQ(PickerResult("C:\\KRO", false, std::string("D:\\X")), "C:\\KRO");
  EXPECT_EQ(PickerResult("C:\\KRO", true, std::nullopt), "C:\\KRO");
  EXPECT_EQ(PickerResult("", true, std::string()), "");
}

}  // namespace
