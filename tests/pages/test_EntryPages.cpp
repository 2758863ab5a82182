// The entry pages as real windows under Wine: each page is shown by its public function while a
// robot thread finds it by its texts and acts with real keys and clicks; the test then checks
// what the page committed and where it moved the page counter, in German and English. The
// robot only observes; every check runs on the test thread afterwards.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <map>
#include <mutex>

#include "WindowRobot.h"
#include "diaCancel.h"
#include "diaDestPath.h"
#include "diaWelcome.h"
#include "dia_SelectFolder.h"
#include "dialibs.h"
#include "uApplication.h"
#include "uHandles.h"
#include "uText.h"

namespace {

using namespace robot;

const wchar_t kPage[] = L"Kro Setup";

const bool kStarted = [] {
  InitApplication();
  SetApplicationTitle("Kro Setup Tests");
  return true;
}();

// What the robot saw, by name, read by the test thread after the robot has finished.
struct TSeen {
  std::mutex Lock;
  std::map<std::string, std::wstring> Values;
  void Put(const std::string& key, const std::wstring& value) {
    std::lock_guard<std::mutex> g(Lock);
    Values[key] = value;
  }
  void Text(const std::string& key, HWND w) { Put(key, w ? TextOf(w) : L"<none>"); }
  void Flag(const std::string& key, bool value) { Put(key, value ? L"yes" : L"no"); }
  std::string operator[](const std::string& key) {
    std::lock_guard<std::mutex> g(Lock);
    const auto it = Values.find(key);
    return it == Values.end() ? "<unseen>" : Narrow(it->second);
  }
};

bool ChildVisible(HWND top, const wchar_t* text) {
  HWND w = ChildByText(top, text);
  return w && IsWindowVisible(w);
}

// Answers the cancel confirmation that must be open now with the button of that text.
bool AnswerCancel(TSeen& seen, const std::string& key, const wchar_t* answer) {
  HWND dialog = WaitActive(kPage, answer);
  if (!dialog) return false;
  seen.Flag(key, ChildByText(dialog, L"Die Installation ist noch nicht abgeschlossen!") ||
                     ChildByText(dialog, L"The installation is not yet completed."));
  ClickOn(ChildByText(dialog, answer));
  return WaitClosed(dialog);
}

TSetupRun NewRun(int language, int pageNo) {
  TSetupRun run;
  run.Language = language;
  run.PageNo = pageNo;
  return run;
}

// ---- Welcome page and cancel confirmation --------------------------------------------------

TEST(WelcomePage, FlagsSwitchTheLanguageAndEnterMovesOn) {
  TSetupRun run = NewRun(kEnglish, 1);
  TSeen seen;
  TRobot robot([&] {
    HWND page = WaitActive(kPage, L"Prepare installation");
    if (!page) return false;
    seen.Text("version", ChildByText(page, L"Setup Version: 2.02"));
    seen.Flag("back disabled", !IsWindowEnabled(ChildByText(page, L"&Back")));
    Shot("welcome-en");
    ClickOn(ChildByText(page, L"Deutsch"));
    seen.Flag("german after DE",
              ChildVisible(page, L"Installation vorbereiten") && ChildVisible(page, L"&Weiter") &&
                  ChildVisible(page, L"&Zurück") && ChildVisible(page, L"&Abbrechen"));
    Shot("welcome-de");
    ClickOn(ChildByText(page, L"English"));
    seen.Flag("english after UK",
              ChildVisible(page, L"Co&ntinue") && ChildVisible(page, L"&Cancel"));
    ClickOn(ChildByText(page, L"Deutsch"));
    Press({VK_ESCAPE});  // does nothing on the pages
    seen.Flag("escape ignored", IsWindowVisible(page) && FindActive(kPage, L"&Weiter") == page);
    Press({VK_RETURN});
    return WaitClosed(page);
  });
  ShowWelcome(run);
  ASSERT_TRUE(robot.Finish());
  EXPECT_EQ(seen["version"], "Setup Version: 2.02");
  EXPECT_EQ(seen["back disabled"], "yes");
  EXPECT_EQ(seen["german after DE"], "yes");
  EXPECT_EQ(seen["english after UK"], "yes");
  EXPECT_EQ(seen["escape ignored"], "yes");
  EXPECT_EQ(run.Language, kGerman);  // the last flag clicked, for every later page
  EXPECT_EQ(run.PageNo, 2);
}

TEST(WelcomePage, CancelAsksAndEitherStaysOrEndsSetup) {
  TSetupRun run = NewRun(kGerman, 1);
  TSeen seen;
  TRobot robot([&] {
    HWND page = WaitActive(kPage, L"&Weiter");
    if (!page) return false;
    ClickOn(ChildByText(page, L"&Abbrechen"));
    HWND dialog = WaitActive(kPage, L"&Fortsetzen");
    if (!dialog) return false;
    Shot("cancel-de");
    if (!AnswerCancel(seen, "asked by button", L"&Fortsetzen")) return false;
    seen.Flag("still open", WaitActive(kPage, L"&Weiter") == page);
    // The close box (Alt+F4) asks the same question.
    Press({VK_F4, false, true});
    if (!AnswerCancel(seen, "asked by close box", L"&Abbrechen")) return false;
    return WaitClosed(page);
  });
  ShowWelcome(run);
  ASSERT_TRUE(robot.Finish());
  EXPECT_EQ(seen["asked by button"], "yes");
  EXPECT_EQ(seen["still open"], "yes");
  EXPECT_EQ(seen["asked by close box"], "yes");
  EXPECT_EQ(run.PageNo, 0);
}

// Enter presses the push button the user moved the focus to, owner-drawn (Windows 10) or not:
// on Cancel it asks, on the confirmation's Continue (where it opens) it keeps the page; back on
// Next it moves on. It never does nothing.
TEST(WelcomePage, EnterPressesTheFocusedButton) {
  TSetupRun run = NewRun(kGerman, 1);
  TSeen seen;
  TRobot robot([&] {
    HWND page = WaitActive(kPage, L"&Weiter");
    if (!page) return false;
    HWND next = ChildByText(page, L"&Weiter"), cancel = ChildByText(page, L"&Abbrechen");
    seen.Flag("opens on next", FocusOf(page) == next);
    Press({VK_TAB});
    seen.Flag("tab to cancel", FocusOf(page) == cancel);
    Press({VK_RETURN});
    HWND dialog = WaitActive(kPage, L"&Fortsetzen");
    if (!dialog) return false;
    seen.Flag("dialog on continue", FocusOf(dialog) == ChildByText(dialog, L"&Fortsetzen"));
    Press({VK_RETURN});
    seen.Flag("continued", WaitClosed(dialog) && WaitActive(kPage, L"&Weiter") == page);
    Press({VK_TAB, true});
    seen.Flag("back on next", FocusOf(page) == next);
    Press({VK_RETURN});
    return WaitClosed(page);
  });
  ShowWelcome(run);
  ASSERT_TRUE(robot.Finish());
  for (const char* step :
       {"opens on next", "tab to cancel", "dialog on continue", "continued", "back on next"})
    EXPECT_EQ(seen[step], "yes") << step;
  EXPECT_EQ(run.PageNo, 2);
}

TEST(CancelConfirmation, AnswersInBothLanguages) {
  // Language, the key or button the user gives, and the answer ConfirmContinue returns.
  struct TCase {
    int Language;
    const wchar_t* Title;
    const wchar_t* Focused;
    TKey Key;
    bool Continue;
  } cases[] = {
      {kEnglish, L"Continue or abort setup", L"Co&ntinue", {VK_F4, false, true}, false},
      {kEnglish, L"Continue or abort setup", L"Co&ntinue", {VK_RETURN}, true},
      {kGerman, L"Setup fortsetzen oder abbrechen?", L"&Fortsetzen", {VK_RETURN}, true},
      {kGerman, L"Setup fortsetzen oder abbrechen?", L"&Fortsetzen", {VK_F4, false, true}, false},
  };
  for (const TCase& c : cases) {
    TSeen seen;
    TRobot robot([&] {
      HWND dialog = WaitActive(kPage, c.Title);
      if (!dialog) return false;
      seen.Text("focused", FocusOf(dialog));
      seen.Flag("abort button", ChildByText(dialog, c.Language ? L"&Abort" : L"&Abbrechen"));
      if (c.Language == kEnglish && c.Continue) Shot("cancel-en");
      Press(c.Key);
      return WaitClosed(dialog);
    });
    const bool answer = ConfirmContinue(c.Language);
    ASSERT_TRUE(robot.Finish());
    EXPECT_EQ(answer, c.Continue) << Narrow(c.Title);
    EXPECT_EQ(seen["focused"], Narrow(c.Focused));
    EXPECT_EQ(seen["abort button"], "yes");
  }
}

// ---- Destination page ----------------------------------------------------------------------

struct TFakeSystem {
  std::map<std::string, double> Free{{"C:", 500.0 * 1048576}, {"D:", 10.0 * 1048576}};
  std::vector<std::string> Loaded;
  std::string Picked = "D:\\Gew\xC3\xA4hlt";
  std::vector<std::string> PickerAsked;
  TDestPathSystem System() {
    TDestPathSystem s;
    s.FreeSpace = [this](const std::string& p) { return Free.count(p) ? Free[p] : 0.0; };
    s.DriveKind = [](const std::string& d) { return d == "N:" ? dkRemote : dkFixed; };
    s.LoadZebConfig = [this](const std::string& d) { Loaded.push_back(d); };
    s.SelectFolder = [this](const std::string& initial, std::int32_t) {
      PickerAsked.push_back(initial);
      return Picked;
    };
    s.Separators = {",", "."};
    return s;
  }
};

TSetupRun DestRun(int language, const std::string& destination, bool full) {
  TSetupRun run = NewRun(language, 2);
  run.AppInfo.Destination = destination;
  run.AppInfo.FullInstallation = full;
  run.AppInfo.ArchiveTotals.TotalSize = 10 * 1048576;
  return run;
}

TEST(DestinationPage, FoundFaceF5AndEnterKeepTheFoundFolder) {
  TSetupRun run = DestRun(kGerman, "C:\\KRO2", false);
  TFakeSystem fake;
  TSeen seen;
  TRobot robot([&] {
    HWND page = WaitActive(kPage, L"Gefundene Kro Installation");
    if (!page) return false;
    seen.Flag("found text",
              ChildVisible(page,
                           L"Setup hat eine bereits bestehende Kro-Installation auf Ihrem "
                           L"Computer gefunden und wird diese jetzt aktualisieren. Wenn Sie "
                           L"damit einverstanden sind, klicken Sie auf Weiter."));
    seen.Flag("kind", ChildVisible(page, L"Lokale Installation in C:\\KRO2\\"));
    seen.Flag("space", ChildVisible(page, L"500.0 MB") && ChildVisible(page, L"10.0 MB"));
    seen.Flag("change hidden", !ChildVisible(page, L"Installationsort ändern"));
    seen.Flag("edit hidden", !ChildVisible(page, L"Kro-Ordner"));
    RECT r{};
    GetWindowRect(page, &r);
    seen.Put("height", std::to_wstring(r.bottom - r.top));
    Shot("destination-found-de");
    Press({VK_F5});
    seen.Flag("change after F5", ChildVisible(page, L"Installationsort ändern"));
    Press({VK_RETURN});
    return WaitClosed(page);
  });
  ShowDestination(run, fake.System());
  ASSERT_TRUE(robot.Finish());
  for (const char* key :
       {"found text", "kind", "space", "change hidden", "edit hidden", "change after F5"})
    EXPECT_EQ(seen[key], "yes") << key;
  EXPECT_EQ(seen["height"], "320");
  EXPECT_EQ(run.PageNo, 3);
  EXPECT_EQ(run.AppInfo.Destination, "C:\\KRO2");
  EXPECT_EQ(fake.Loaded, std::vector<std::string>{"C:\\KRO2"});
}

TEST(DestinationPage, ManualFaceTypedFolderAndNotEnoughSpace) {
  TSetupRun run = DestRun(kEnglish, "", true);
  TFakeSystem fake;
  fake.Free["D:"] = 10.0 * 1048576;  // exactly the needed space
  TSeen seen;
  TRobot robot([&] {
    HWND page = WaitActive(kPage, L"Kro folder");
    if (!page) return false;
    seen.Flag("not found text",
              ChildVisible(page,
                           L"Setup can not find an existing Kro installation on your "
                           L"computer. Please enter the folder, where your Kro application "
                           L"has to be installed."));
    seen.Flag("prefilled", ChildVisible(page, L"C:\\KRO"));
    seen.Flag("labels", ChildVisible(page, L"Available Diskspace") &&
                            ChildVisible(page, L"Needed Diskspace") &&
                            ChildVisible(page, L"Search"));
    Shot("destination-manual-en");
    HWND edit = ChildByText(page, L"C:\\KRO");
    ClickOn(edit);
    Press({VK_HOME});
    Press({VK_END, true});
    Type(L"D:\\Voll");
    HWND next = ChildByText(page, L"Co&ntinue");
    seen.Flag("next disabled at equal space", !IsWindowEnabled(next));
    seen.Flag("free of D:", ChildVisible(page, L"10.0 MB"));
    Press({VK_RETURN});
    seen.Flag("enter ignored", IsWindowVisible(page));
    Press({VK_HOME});
    Press({VK_END, true});
    Type(L"Neu");  // no drive: the free space stays that of D:
    seen.Flag("free kept", ChildVisible(page, L"10.0 MB"));
    Press({VK_HOME});
    Press({VK_END, true});
    Type(L"C:\\Neu");
    seen.Flag("next enabled", IsWindowEnabled(next));
    Press({VK_RETURN});
    return WaitClosed(page);
  });
  ShowDestination(run, fake.System());
  ASSERT_TRUE(robot.Finish());
  for (const char* key : {"not found text", "prefilled", "labels", "next disabled at equal space",
                          "free of D:", "enter ignored", "free kept", "next enabled"})
    EXPECT_EQ(seen[key], "yes") << key;
  EXPECT_EQ(run.PageNo, 3);
  EXPECT_EQ(run.AppInfo.Destination, "C:\\Neu");
  EXPECT_EQ(fake.Loaded, std::vector<std::string>{"C:\\Neu"});
}

TEST(DestinationPage, ChangeFolderWarningThenBackStoresNothing) {
  TSetupRun run = DestRun(kGerman, "N:\\KRO\\", true);
  TFakeSystem fake;
  TSeen seen;
  TRobot robot([&] {
    HWND page = WaitActive(kPage, L"Installationsort ändern");
    if (!page) return false;
    seen.Flag("remote", ChildVisible(page, L"Netzwerkinstallation in N:\\KRO\\"));
    ClickOn(ChildByText(page, L"Installationsort ändern"));
    HWND box = WaitActive(L"Bestätigung", L"Abbrechen");
    if (!box) return false;
    seen.Flag("warning", ChildByText(box,
                                     L"ACHTUNG!\r\rWenn Sie den Zielort ändern, können Sie "
                                     L"nach der Installation nicht mehr auf die "
                                     L"ursprüngliche Installation zugreifen!") != nullptr);
    Shot("destination-warning-de");
    ClickOn(ChildByText(box, L"Abbrechen"));
    if (!WaitClosed(box)) return false;
    seen.Flag("still found", ChildVisible(page, L"Gefundene Kro Installation"));
    ClickOn(ChildByText(page, L"Installationsort ändern"));
    box = WaitActive(L"Bestätigung", L"OK");
    if (!box) return false;
    ClickOn(ChildByText(box, L"OK"));
    if (!WaitActive(kPage, L"Kro-Ordner")) return false;
    seen.Flag("manual", ChildVisible(page,
                                     L"Geben Sie bitte den Ordner an, in den Setup Ihre "
                                     L"Kro-Software installieren soll.") &&
                            ChildVisible(page, L"C:\\KRO") &&
                            !ChildVisible(page, L"Gefundene Kro Installation"));
    Shot("destination-changed-de");
    ClickOn(ChildByText(page, L"&Zurück"));
    return WaitClosed(page);
  });
  ShowDestination(run, fake.System());
  ASSERT_TRUE(robot.Finish());
  for (const char* key : {"remote", "warning", "still found", "manual"})
    EXPECT_EQ(seen[key], "yes") << key;
  EXPECT_EQ(run.PageNo, 1);
  EXPECT_EQ(run.AppInfo.Destination, "N:\\KRO\\");
  EXPECT_TRUE(fake.Loaded.empty());
}

TEST(DestinationPage, NoInstallationEndsSetupWithoutAsking) {
  // Both languages: the message in the setup language, then PageNo 0 without the confirmation.
  const std::pair<int, const wchar_t*> cases[] = {
      {kGerman, L"Setup konnnte keine Erstinstallation finden. Vorgang wird abgebrochen!"},
      {kEnglish, L"Setup could not find any primary installation. Setup will be aborted!"}};
  for (const auto& [language, message] : cases) {
    TSetupRun run = DestRun(language, "", false);
    TFakeSystem fake;
    TSeen seen;
    TRobot robot([&, message = message] {
      HWND box = WaitActive(L"Kro Setup Tests", message);
      if (!box) return false;
      if (language == kGerman) Shot("destination-abort-de");
      ClickOn(ChildByText(box, L"OK"));
      Settle();
      seen.Flag("no confirmation",
                !FindActive(kPage, L"&Fortsetzen") && !FindActive(kPage, L"Co&ntinue"));
      return true;
    });
    ShowDestination(run, fake.System());
    ASSERT_TRUE(robot.Finish());
    EXPECT_EQ(seen["no confirmation"], "yes");
    EXPECT_EQ(run.PageNo, 0);
  }
}

TEST(DestinationPage, BrowsePutsThePickersAnswerIntoTheField) {
  TSetupRun run = DestRun(kGerman, "", true);
  TFakeSystem fake;
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  TSeen seen;
  TRobot robot([&] {
    HWND page = WaitActive(kPage, L"&Suchen");
    if (!page) return false;
    ClickOn(ChildByText(page, L"&Suchen"));
    seen.Flag("picked", WaitFor([&] { return ChildVisible(page, L"D:\\Gewählt"); }));
    seen.Flag("free of D:", ChildVisible(page, L"10.0 MB"));
    ClickOn(ChildByText(page, L"&Abbrechen"));
    return AnswerCancel(seen, "asked", L"&Abbrechen");
  });
  ShowDestination(run, fake.System());
  ASSERT_TRUE(robot.Finish());
  EXPECT_EQ(seen["picked"], "yes");
  EXPECT_EQ(seen["free of D:"], "yes");
  EXPECT_EQ(fake.PickerAsked, std::vector<std::string>{"C:\\KRO"});
  wchar_t after[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(after, before);
  EXPECT_EQ(run.PageNo, 0);
  EXPECT_EQ(run.AppInfo.Destination, "");  // cancelled: nothing stored
}

// ---- Folder picker -------------------------------------------------------------------------

TEST(FolderPicker, InvertedKeysAndTheShellTree) {
  // The key, and whether the picker answers with the folder selected in the tree or with the
  // initial folder. Left moves the selection from the initial folder to its parent.
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::string windowsDir = Narrow(windows);
  const std::string initial = windowsDir + "\\system32";
  struct TCase {
    int Language;
    bool ToParent;
    TKey Key;  // or, with Vk 0, a click on Button
    std::string Expected;
    const wchar_t* Button = nullptr;
  } cases[] = {
      {kGerman, false, {VK_ESCAPE}, initial},     {kGerman, true, {VK_ESCAPE}, windowsDir},
      {kGerman, true, {VK_RETURN}, initial},      {kEnglish, true, {VK_F10}, windowsDir},
      {kEnglish, true, {VK_F2}, initial},         {kGerman, true, {0}, windowsDir, L"&OK"},
      {kEnglish, true, {0}, initial, L"&Cancel"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Key.Vk) + (c.ToParent ? " to parent" : ""));
    TSeen seen;
    TRobot robot([&] {
      HWND picker = WaitActive(L"Dialog", c.Language ? L"&Cancel" : L"&Abbrechen");
      if (!picker) return false;
      seen.Flag("title", ChildByText(picker, c.Language ? L"Select folder" : L"Ordner auswählen") !=
                             nullptr);
      seen.Flag("ok", ChildByText(picker, L"&OK") != nullptr);
      if (!c.ToParent) Shot("picker-de");
      if (c.ToParent) Press({VK_LEFT});
      if (c.Button)
        ClickOn(ChildByText(picker, c.Button));
      else
        Press(c.Key);
      return WaitClosed(picker);
    });
    const std::string result = SelectFolder(initial, c.Language);
    ASSERT_TRUE(robot.Finish());
    EXPECT_TRUE(SameTextAZ(result, c.Expected)) << result << " for " << c.Expected;
    EXPECT_EQ(seen["title"], "yes");
    EXPECT_EQ(seen["ok"], "yes");
  }
}

TEST(FolderPicker, RightClickSelectsTheFolderUnderTheMouse) {
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::string windowsDir = Narrow(windows);
  TRobot robot([&] {
    HWND picker = WaitActive(L"Dialog", L"&Abbrechen");
    if (!picker) return false;
    HWND tree = FocusOf(picker);
    // The parent of the initial folder, right-clicked where the tree draws its name.
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
    RECT r{};
    memcpy(&r, &item, sizeof item);  // the item goes in, its rectangle comes out
    if (!item || !SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)))
      return false;
    MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&r), 2);
    ClickAt(r, true);
    Press({VK_ESCAPE});
    return WaitClosed(picker);
  });
  const std::string result = SelectFolder(windowsDir + "\\system32", kGerman);
  ASSERT_TRUE(robot.Finish());
  EXPECT_TRUE(SameTextAZ(result, windowsDir)) << result;
}

TEST(FolderPicker, MissingInitialFolderIsKeptOnCancel) {
  TSeen seen;
  TRobot robot([&] {
    HWND picker = WaitActive(L"Dialog", L"&Abbrechen");
    if (!picker) return false;
    Press({VK_F2});
    return WaitClosed(picker);
  });
  EXPECT_EQ(SelectFolder("C:\\gibt\\es\\nicht", kGerman), "C:\\gibt\\es\\nicht");
  ASSERT_TRUE(robot.Finish());
}

// ---- Library page --------------------------------------------------------------------------

// The pinstripe of the textured bands (rows 241, 234, 241, 255 from the band's top), read
// from the screen at client row y of the page; a flat band reads one colour.
bool Pinstripe(HWND page, int x, int y, int phase) {
  POINT p{x, y};
  ClientToScreen(page, &p);
  TWindowDC screen(nullptr);
  static const int kRows[] = {241, 234, 241, 255};
  bool ok = true;
  for (int i = 0; i < 4; ++i)
    ok = ok && GetPixel(screen.Get(), p.x, p.y + i) ==
                   RGB(kRows[(phase + i) % 4], kRows[(phase + i) % 4], kRows[(phase + i) % 4]);
  return ok;
}

// Welcome page, cancel confirmation, destination and library page have the textured header
// and button bands every other page has.
TEST(EntryPages, TexturedBands) {
  struct TCase {
    const char* Name;
    const wchar_t* Text;
    std::function<void(TSetupRun&)> Show;
  } cases[] = {
      {"welcome", L"&Weiter", [](TSetupRun& run) { ShowWelcome(run); }},
      {"destination", L"Kro-Ordner",
       [](TSetupRun& run) {
         TFakeSystem fake;
         ShowDestination(run, fake.System());
       }},
      {"library", L"Bibliothek auswählen", [](TSetupRun& run) { ShowLibs(run); }},
  };
  for (const TCase& c : cases) {
    TSetupRun run =
        c.Name == std::string("destination") ? DestRun(kGerman, "", true) : NewRun(kGerman, 1);
    TSeen seen;
    TRobot robot([&] {
      HWND page = WaitActive(kPage, c.Text);
      if (!page) return false;
      RECT r{};
      GetClientRect(page, &r);
      seen.Flag("header", Pinstripe(page, r.right - 8, 0, 0));
      // Below the button band's 2-pixel rule.
      seen.Flag("buttons", Pinstripe(page, 4, r.bottom - 33 + 2, 2));
      ClickOn(ChildByText(page, L"&Abbrechen"));
      HWND dialog = WaitActive(kPage, L"&Fortsetzen");
      if (!dialog) return false;
      GetClientRect(dialog, &r);
      seen.Flag("confirmation header", Pinstripe(dialog, r.right - 8, 0, 0));
      seen.Flag("confirmation buttons", Pinstripe(dialog, 4, r.bottom - 33 + 2, 2));
      ClickOn(ChildByText(dialog, L"&Abbrechen"));
      return WaitClosed(page);
    });
    c.Show(run);
    ASSERT_TRUE(robot.Finish()) << c.Name;
    for (const char* band : {"header", "buttons", "confirmation header", "confirmation buttons"})
      EXPECT_EQ(seen[band], "yes") << c.Name << " " << band;
    EXPECT_EQ(run.PageNo, 0) << c.Name;
  }
}

TEST(LibraryPage, PreselectsTheDetectedVariantAndStoresTheChoice) {
  // Detected variant, first installation, language, the item the user clicks (-1: none), the
  // button, and what the page leaves behind.
  struct TCase {
    std::uint8_t Detected;
    bool First;
    int Language;
    const wchar_t* Installed;
    int Click;
    const wchar_t* Button;
    std::uint8_t Stored;
    int PageNo;
  } cases[] = {
      {2, false, kGerman, L"Client-Server-Bibliothek für Novell Netware", -1, L"&Weiter", 2, 4},
      {0, true, kEnglish, L"None", 3, L"Co&ntinue", 3, 4},
      {0, false, kGerman, L"Unbekannt", 1, L"&Zurück", 0, 2},
      {3, false, kEnglish, L"Standalone local pc library", 0, L"Co&ntinue", 0, 4},
  };
  for (const TCase& c : cases) {
    TSetupRun run = NewRun(c.Language, 3);
    run.AppInfo.LibVariant = c.Detected;
    run.AppInfo.FirstInstallation = c.First;
    TSeen seen;
    TRobot robot([&] {
      HWND page = WaitActive(kPage, c.Installed);
      if (!page) return false;
      HWND list = ChildOfClass(page, L"ListBox");
      if (!list) return false;
      seen.Put("selected", std::to_wstring(SendMessageW(list, LB_GETCURSEL, 0, 0)));
      wchar_t item[128] = L"";
      SendMessageW(list, LB_GETTEXT, 2, LPARAM(item));
      seen.Put("item 2", item);
      if (c.Detected == 2) Shot("libs-de");
      if (c.Language == kEnglish && c.First) Shot("libs-en");
      if (c.Click >= 0) {
        RECT r{};
        SendMessageW(list, LB_GETITEMRECT, WPARAM(c.Click), LPARAM(&r));
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
        ClickAt(r);
      }
      if (std::wstring(c.Button) == L"&Weiter")
        Press({VK_RETURN});
      else
        ClickOn(ChildByText(page, c.Button));
      return WaitClosed(page);
    });
    ShowLibs(run);
    ASSERT_TRUE(robot.Finish());
    EXPECT_EQ(seen["selected"], std::to_string(c.Detected));
    EXPECT_EQ(seen["item 2"], c.Language == kEnglish
                                  ? "Install the client-server library for Novell Netware"
                                  : "Client-Server-Bibl. f\xC3\xBCr Novell Netware installieren");
    EXPECT_EQ(run.AppInfo.LibVariant, c.Stored);
    EXPECT_EQ(run.PageNo, c.PageNo);
  }
}

}  // namespace
