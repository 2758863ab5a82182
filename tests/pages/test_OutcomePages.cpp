// The progress and outcome pages as real windows under Wine: each page created by its public
// function on the test thread, a robot thread acting as the user through real key presses and
// clicks, found by window texts; a screenshot of each page kept as an artefact.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ArchiveKit.h"
#include "WindowRobot.h"
#include "diaAborted.h"
#include "diaCreator.h"
#include "diaErrors.h"
#include "diaFinish.h"
#include "diaLoad.h"
#include "diaReadme.h"
#include "uApplication.h"
#include "uForms.h"
#include "uHandles.h"
#include "uPaths.h"
#include "uText.h"

namespace {

using namespace std::chrono_literals;
using kit::Bytes;
using namespace robot;

// ---- What the pages sent their controls, seen through a hook on the test thread ----------

struct TSent {
  HWND Wnd;
  std::wstring Class;
  UINT Msg;
  WPARAM Wp;
  std::wstring Text;
};
std::vector<TSent> Sent;

LRESULT CALLBACK SentProc(int code, WPARAM wp, LPARAM lp) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && (m->message == PBM_SETPOS || m->message == WM_SETTEXT)) {
    wchar_t cls[64] = L"";
    GetClassNameW(m->hwnd, cls, 64);
    TSent s{m->hwnd, cls, m->message, m->wParam, {}};
    if (m->message == WM_SETTEXT && m->lParam) s.Text = reinterpret_cast<const wchar_t*>(m->lParam);
    Sent.push_back(s);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

struct TWatchSent {
  TWatchSent() { Sent.clear(); }
  THookHandle Hook{SetWindowsHookExW(WH_CALLWNDPROC, SentProc, nullptr, GetCurrentThreadId())};
  // The positions each progress bar was given, in order, told apart by their window.
  static std::vector<int> Positions() {
    std::vector<int> p;
    for (const TSent& s : Sent)
      if (s.Msg == PBM_SETPOS) p.push_back(int(s.Wp));
    return p;
  }
};

// ---- Message boxes through the framework's seam -------------------------------------------

std::mutex BoxLock;
std::vector<std::pair<TMessageKind, std::string>> Boxes;
int RecordBox(TMessageKind kind, const std::string& text) {
  std::lock_guard<std::mutex> lock(BoxLock);
  Boxes.push_back({kind, text});
  return mrOk;
}

class Pages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitApplication(); }
  void SetUp() override {
    Boxes.clear();
    SetMessageBoxFunc(&RecordBox);
  }
  void TearDown() override { SetMessageBoxFunc(nullptr); }
};

const std::vector<kit::TMember> kLoadMembers = {
    {"demo.inf", kit::Text("[ApplicationInfo]\r\nPackage=demo.pak\r\n")},
    {"demo.pak", kit::Noise(300000)},
};

// ---- Preparation page ---------------------------------------------------------------------

// An external archive: the page shows, runs by itself, reaches 100 and closes with OK; the
// members lie in the private folder and the archive path is unchanged.
TEST_F(Pages, LoadRunsAndReachesTheEnd) {
  for (int32_t language : {kGerman, kEnglish}) {
    kit::TTempDir src, work;
    kit::WriteFile(src / "data.arc", kit::Layout(kLoadMembers));
    TSetupRun run;
    run.Language = language;
    run.PageNo = 0;
    TLoadRequest request;
    request.ArchivePath = src / "data.arc";
    request.WorkDir = IncludeTrailingDelimiter(work.Str());
    std::atomic<bool> seen{false};
    int asked = 0;
    TWatchSent watch;
    bool ok = false;
    {
      TRobot robot([&] {
        HWND page = WaitActive(L"Kro Setup", language == kGerman ? L"Installation vorbereiten"
                                                                 : L"Prepare Installation");
        seen = page != nullptr;
        if (!page) return;
        const wchar_t* texts[] = {
            language == kGerman ? L"Setup bereitet nun die Installation vor. Bitte haben Sie "
                                  L"einen Augenblick Geduld..."
                                : L"Setup is preparing the installation. Please stay tuned...",
            language == kGerman ? L"Fortschritt" : L"Progress",
            language == kGerman ? L"Abbrechen" : L"&Cancel"};
        for (const wchar_t* t : texts) EXPECT_TRUE(ChildByText(page, t)) << Narrow(t);
        Shot(language == kGerman ? "load-de" : "load-en", page);
      });
      ok = ShowLoadDialog(run, request, [&] { return ++asked, true; });
    }
    EXPECT_TRUE(seen);
    EXPECT_TRUE(ok);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(run.PageNo, 1);
    EXPECT_FALSE(run.InstallFailed);
    EXPECT_EQ(request.ArchivePath, src / "data.arc");
    EXPECT_EQ(run.AppInfo.Package, "demo.pak");
    EXPECT_EQ(kit::ReadFile(work / "demo.pak"), kLoadMembers[1].Data);
    const std::vector<int> p = TWatchSent::Positions();
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.back(), 100);
  }
}

// Cancel (the button, like the close box) while the page waits: the confirmation is asked; to
// continue keeps the page and the run follows; to abort ends the page with PageNo 0, false
// and nothing extracted.
TEST_F(Pages, LoadCancelAsksAndAbortStopsBeforeTheRun) {
  for (bool abort : {false, true}) {
    kit::TTempDir src, work;
    kit::WriteFile(src / "data.arc", kit::Layout(kLoadMembers));
    TSetupRun run;
    run.PageNo = 0;
    TLoadRequest request;
    request.ArchivePath = src / "data.arc";
    request.WorkDir = IncludeTrailingDelimiter(work.Str());
    int asked = 0;
    bool ok = false;
    {
      TRobot robot([&] {
        HWND page = WaitFound(L"Kro Setup", L"&Cancel");
        if (HWND cancel = page ? ChildByText(page, L"&Cancel") : nullptr) ClickOn(cancel);
      });
      ok = ShowLoadDialog(run, request, [&] { return ++asked, !abort; });
    }
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ok, !abort);
    EXPECT_EQ(run.PageNo, abort ? 0 : 1);
    EXPECT_EQ(kit::fs::exists(kit::P(work / "demo.pak")), !abort);
  }
}

// While the real confirmation box is open, the start timer waits: nothing is extracted until
// the answer "continue" has been given.
TEST_F(Pages, LoadTimerWaitsForTheConfirmation) {
  SetMessageBoxFunc(nullptr);
  kit::TTempDir src, work;
  kit::WriteFile(src / "data.arc", kit::Layout(kLoadMembers));
  TSetupRun run;
  TLoadRequest request;
  request.ArchivePath = src / "data.arc";
  request.WorkDir = IncludeTrailingDelimiter(work.Str());
  std::atomic<bool> extractedWhileAsking{true};
  bool ok = false;
  {
    TRobot robot([&] {
      HWND page = WaitFound(L"Kro Setup", L"&Cancel");
      if (!page) return;
      PostMessageW(page, WM_CLOSE, 0, 0);  // the close box
      HWND box = WaitActive(L"Bestätigung", L"OK");
      if (!box) return;
      Shot("load-confirmation", box);
      std::this_thread::sleep_for(1500ms);  // three times the start delay
      extractedWhileAsking = kit::fs::exists(kit::P(work / "demo.pak"));
      ClickOn(ChildByText(box, L"OK"));
    });
    ok = ShowLoadDialog(run, request, [] { return ConfirmBox("Weiter?"); });
  }
  EXPECT_FALSE(extractedWhileAsking);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(kit::fs::exists(kit::P(work / "demo.pak")));
}

// An archive error ends the page, which does not stay open; the error reaches the caller.
TEST_F(Pages, LoadErrorEndsThePage) {
  kit::TTempDir src, work;
  Bytes archive = kit::Layout(kLoadMembers);
  archive.resize(archive.size() / 2);
  kit::WriteFile(src / "cut.arc", archive);
  TSetupRun run;
  TLoadRequest request;
  request.ArchivePath = src / "cut.arc";
  request.WorkDir = IncludeTrailingDelimiter(work.Str());
  // A member cut short is corrupt.
  try {
    ShowLoadDialog(run, request, [] { return true; });
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "error");
  }
  EXPECT_EQ(FindWindowW(nullptr, L"Kro Setup"), nullptr);
  EXPECT_TRUE(Boxes.empty());
}

// ---- Unpacking page -----------------------------------------------------------------------

struct TUnpack {
  kit::TTempDir Work, Dest;
  TSetupRun Run;
  explicit TUnpack(const std::vector<kit::TMember>& members) {
    Run.WorkDir = IncludeTrailingDelimiter(Work.Str());
    Run.AppInfo.Package = "demo.pak";
    Run.AppInfo.Destination = Dest.Str();
    Run.PageNo = 4;
    kit::WriteFile(Work / "demo.pak", kit::Layout(members));
  }
};

// A run with a member that would leave the destination: its failure is shown in the "Fehler"
// box and listed, the tree is rebuilt, both bars end at 100, the file label names members.
TEST_F(Pages, CreateUnpacksAndListsFailures) {
  for (int32_t language : {kGerman, kEnglish}) {
    TUnpack u({{"kro.exe", kit::Noise(100000)},
               {"..\\evil.txt", kit::Text("evil")},
               {"zeb\\sa\\x.dll", kit::Prose(50000)}});
    u.Run.Language = language;
    Boxes.clear();
    u.Run.AppInfo.LibsIncluded = 3;
    u.Run.AppInfo.LibVariant = 3;
    TWatchSent watch;
    {
      TRobot robot([&] {
        HWND page =
            WaitActive(L"Kro Setup", language == kGerman ? L"Installation wird durchgeführt..."
                                                         : L"Installation is running...");
        if (!page) return;
        const wchar_t* texts[] = {language == kGerman ? L"Entpackt wird" : L"Unpacking",
                                  language == kGerman ? L"Fortschritt Datei" : L"File progress",
                                  language == kGerman ? L"Fortschritt Gesamt" : L"Total progress",
                                  language == kGerman ? L"&Abbrechen" : L"&Cancel"};
        for (const wchar_t* t : texts) EXPECT_TRUE(ChildByText(page, t)) << Narrow(t);
        Shot(language == kGerman ? "create-de" : "create-en", page);
      });
      ShowCreate(u.Run, [] { return true; });
    }
    EXPECT_EQ(u.Run.PageNo, 5);
    EXPECT_TRUE(u.Run.InstallFailed);
    const std::string evil = u.Dest.Str() + "\\..\\evil.txt";
    EXPECT_EQ(u.Run.AppInfo.FailedFiles, std::vector<std::string>{evil});
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].first, mkError);
    EXPECT_EQ(Boxes[0].second.substr(0, 9), language == kGerman ? "Die Datei" : "The file ");
    EXPECT_FALSE(kit::fs::exists(u.Dest.Root.parent_path() / "evil.txt"));
    EXPECT_EQ(kit::ReadFile(u.Dest / "zeb\\x.dll"), kit::Prose(50000));
    std::map<HWND, int> lastOfBar;  // both bars end at 100
    bool named = false;
    for (const TSent& s : Sent) {
      if (s.Msg == PBM_SETPOS) lastOfBar[s.Wnd] = int(s.Wp);
      if (s.Msg == WM_SETTEXT && s.Text == L"zeb\\sa\\x.dll") named = true;
    }
    ASSERT_EQ(lastOfBar.size(), 2u);
    for (const auto& bar : lastOfBar) EXPECT_EQ(bar.second, 100);
    EXPECT_TRUE(named);
  }
}

// Cancel before the run, answered with abort: nothing unpacked, PageNo 0, the installation
// counts as failed (the aborted page follows); answered with continue: the run follows.
TEST_F(Pages, CreateCancelBeforeTheRun) {
  for (bool abort : {true, false}) {
    TUnpack u({{"kro.exe", kit::Text("exe")}});
    int asked = 0;
    {
      TRobot robot([&] {
        HWND page = WaitFound(L"Kro Setup", L"&Cancel");
        if (HWND cancel = page ? ChildByText(page, L"&Cancel") : nullptr) ClickOn(cancel);
      });
      ShowCreate(u.Run, [&] { return ++asked, !abort; });
    }
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(u.Run.PageNo, abort ? 0 : 5);
    EXPECT_EQ(u.Run.InstallFailed, abort);
    EXPECT_EQ(kit::fs::exists(kit::P(u.Dest / "kro.exe")), !abort);
  }
}

// The unpacking page's start timer also waits for the open confirmation, here answered with
// abort: nothing is unpacked at all.
TEST_F(Pages, CreateTimerWaitsForTheConfirmation) {
  SetMessageBoxFunc(nullptr);
  TUnpack u({{"kro.exe", kit::Text("exe")}});
  std::atomic<bool> unpackedWhileAsking{true};
  {
    TRobot robot([&] {
      HWND page = WaitFound(L"Kro Setup", L"&Cancel");
      if (!page) return;
      PostMessageW(page, WM_CLOSE, 0, 0);
      HWND box = WaitActive(L"Bestätigung", L"Abbrechen");
      if (!box) return;
      std::this_thread::sleep_for(2000ms);  // twice the start delay
      unpackedWhileAsking = kit::fs::exists(kit::P(u.Dest / "kro.exe"));
      ClickOn(ChildByText(box, L"Abbrechen"));
    });
    ShowCreate(u.Run, [] { return ConfirmBox("Weiter?"); });
  }
  EXPECT_FALSE(unpackedWhileAsking);
  EXPECT_EQ(u.Run.PageNo, 0);
  EXPECT_TRUE(u.Run.InstallFailed);
  Pump(1500ms);  // a tick held back must not come after all
  EXPECT_FALSE(kit::fs::exists(kit::P(u.Dest / "kro.exe")));
}

// A Cancel click while the run goes on asks nothing and stops nothing.
TEST_F(Pages, CreateCancelDuringTheRunChangesNothing) {
  std::vector<kit::TMember> members;
  for (int i = 0; i < 80; ++i)
    members.push_back({"f" + std::to_string(i) + ".bin", kit::Noise(400000, i)});
  // Under load the run can end before the robot finds a name to click on: such a run does not
  // try the case, and it is made again.
  std::atomic<bool> clicked{false};
  for (int attempt = 0; attempt < 3 && !clicked; ++attempt) {
    TUnpack u(members);
    int asked = 0;
    {
      TRobot robot([&] {
        HWND page = WaitActive(L"Kro Setup", L"&Cancel");
        if (!page) return;
        // Any file but the last on show: the run goes on. The page shows names at a bounded
        // pace and moves on while the robot asks, so each text is read once a round.
        WaitFor([&] {
          for (HWND w : Children(page)) {
            const std::wstring t = TextOf(w);
            if (t.size() > 5 && t[0] == L'f' && t.ends_with(L".bin") && t != L"f79.bin")
              return true;
          }
          return !IsWindow(page);
        });
        if (HWND cancel = IsWindow(page) ? ChildByText(page, L"&Cancel") : nullptr) {
          ClickOn(cancel);
          clicked = true;
        }
      });
      ShowCreate(u.Run, [&] { return ++asked, false; });
    }
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(u.Run.PageNo, 5);
    EXPECT_FALSE(u.Run.InstallFailed);
    EXPECT_TRUE(kit::fs::exists(kit::P(u.Dest / "f79.bin")));
  }
  EXPECT_TRUE(clicked) << "three runs ended before the robot could click";
}

// An archive error ends the page and fails the installation; the error reaches the caller.
TEST_F(Pages, CreateErrorEndsThePage) {
  TUnpack u({{"kro.exe", kit::Text("exe")}});
  u.Run.AppInfo.Package = "missing.pak";
  EXPECT_THROW(ShowCreate(u.Run, [] { return true; }), EQuillCompress);
  EXPECT_TRUE(u.Run.InstallFailed);
  EXPECT_EQ(FindWindowW(nullptr, L"Kro Setup"), nullptr);
}

// Many small blocks: the bars are repainted at a bounded pace, not once per block.
TEST_F(Pages, CreateRepaintsAtABoundedPace) {
  std::vector<kit::TMember> members;
  for (int i = 0; i < 200; ++i) members.push_back({"d\\f" + std::to_string(i), kit::Prose(40960)});
  TUnpack u(members);
  TWatchSent watch;
  const auto start = std::chrono::steady_clock::now();
  ShowCreate(u.Run, [] { return true; });
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() - 1.0;
  const size_t updates = TWatchSent::Positions().size();
  // 2,000 output blocks; two bars at about 30 a second each, plus the first and the last.
  EXPECT_LE(double(updates), 2 * (seconds * 31 + 2)) << seconds;
  EXPECT_EQ(TWatchSent::Positions().back(), 100);
  EXPECT_EQ(kit::ReadFile(u.Dest / "d\\f199"), kit::Prose(40960));
}

// ---- Outcome pages ------------------------------------------------------------------------

struct TPageCase {
  int32_t Language;
  std::vector<std::wstring> Texts;
};

// Checks a page's texts, keeps its picture, then closes it as told.
void ExpectPage(const std::vector<std::wstring>& texts, const char* shot,
                const std::function<void(HWND)>& close) {
  HWND page = WaitActive(L"Kro Setup", texts.front());
  ASSERT_TRUE(page);
  for (const std::wstring& t : texts) EXPECT_TRUE(ChildByText(page, t)) << Narrow(t);
  Shot(shot, page);
  close(page);
}

void PressEnter(HWND page) {
  SetForegroundWindow(page);
  Press({VK_RETURN});
}

TEST_F(Pages, AbortedPageInBothLanguages) {
  const TPageCase cases[] = {
      {kGerman,
       {L"Installation abgebrochen", L"Die Installation wurde vorzeitig abgebrochen!",
        L"Ihre neue Kro Software wurde nicht ordnungsgemäß installiert.",
        L"Um Ihre neue Kro Software verwenden zu können, müssen Sie die Installation "
        L"wiederholen.",
        L"Falls die Datenträger (z.B. CD-ROM) fehlerhaft sind, setzen Sie sich bitte mit Kro "
        L"in Verbindung.",
        L"&Beenden"}},
      {kEnglish,
       {L"Installation aborted", L"Installation is terminated before it was complete.",
        L"Your new Kro software is not installed succesfully.",
        L"You have to reinstall the software before you can use it.",
        L"If your installation media is corrupted, please contact Kro.", L"&Close"}},
  };
  for (const TPageCase& c : cases) {
    TSetupRun run;
    run.Language = c.Language;
    run.PageNo = 7;
    TRobot robot([&] {
      ExpectPage(c.Texts, c.Language == kGerman ? "aborted-de" : "aborted-en",
                 [&](HWND page) { ClickOn(ChildByText(page, c.Texts.back())); });
    });
    ShowAborted(run);
    EXPECT_EQ(run.PageNo, 7);
  }
}

TEST_F(Pages, ErrorsPageListsTheFailedFiles) {
  const TPageCase cases[] = {
      {kGerman,
       {L"Installation beendet", L"Die Installation wurde beendet. Dabei sind Fehler aufgetreten.",
        L"Folgende Dateien wurden nicht ordnungsgemäß installiert:",
        L"In aller Regel liegt der Grund für diese Fehler darin, dass ein Anwender während der "
        L"Installation noch mit einem Kro-Programm gearbeitet hat. ",
        L"Wiederholen Sie die Installation, nachdem alle Anwender bereits vorhandene "
        L"Kro-Programme beendet haben.",
        L"&Beenden"}},
      {kEnglish,
       {L"Installation completed", L"There has been errors during the installation.",
        L"The following files could not be installed properly:",
        L"The reason for this errors is in most cases, that a user worked with the program "
        L"during the installation. ",
        L"Please be sure, that all users stopped working with Kro programs, and retry the "
        L"installation.",
        L"&Close"}},
  };
  for (const TPageCase& c : cases) {
    TSetupRun run;
    run.Language = c.Language;
    run.AppInfo.FailedFiles = {"C:\\KRO\\z.dll", "C:\\KRO\\a.exe", "C:\\KRO\\zeb\\Ü.dll"};
    std::vector<std::wstring> items;
    TRobot robot([&] {
      ExpectPage(c.Texts, c.Language == kGerman ? "errors-de" : "errors-en", [&](HWND page) {
        items = ListItems(ChildOfClass(page, L"ListBox"));
        PressEnter(page);
      });
    });
    ShowErrors(run);
    EXPECT_EQ(items, (std::vector<std::wstring>{L"C:\\KRO\\z.dll", L"C:\\KRO\\a.exe",
                                                L"C:\\KRO\\zeb\\Ü.dll"}));
  }
}

// The finish page's face and answers for the four combinations of full installation and
// required restart, closed by Enter, by the button or after choosing "no".
TEST_F(Pages, FinishPageFaceAndAnswers) {
  struct Case {
    int32_t Language;
    bool Full, Reboot;
    bool ChooseNo, TickShortcut;
    bool ShortcutChecked, RebootNow;
  } cases[] = {
      {kGerman, true, true, false, false, true, true},
      {kEnglish, true, true, true, true, false, false},
      {kGerman, true, false, false, true, true, false},
      {kEnglish, false, false, false, true, false, false},
      {kGerman, false, true, true, false, false, false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    TSetupRun run;
    run.Language = c.Language;
    run.AppInfo.FullInstallation = c.Full;
    run.RebootRequired = run.RebootNow = c.Reboot;
    const bool de = c.Language == kGerman;
    const std::vector<std::wstring> texts = {
        de ? L"Installation abgeschlossen" : L"Installation completed",
        de ? L"Die Installation Ihrer neuen Software wurde erfolgreich durchgeführt."
           : L"The installation of your new software has completed successfully.",
        de ? L"Wir wünschen Ihnen viel Spaß bei der Arbeit mit Ihrer neuen Software."
           : L"We wish you much fun while working with your new software.",
        de ? L"Ihr Kro Team" : L"Your Kro team", de ? L"&Beenden" : L"&Close"};
    const std::wstring shortcut = de ? L"Soll Setup eine Verknüpfung zum Programm auf Ihrem "
                                       L"Desktop anlegen?"
                                     : L"Do you want setup to create a shortcut at your desktop?";
    const std::wstring no = de ? L"&Nein, ich werde meinen Computer später selbst neu starten."
                               : L"No, I reboot my computer later";
    bool boxEnabled = false, noVisible = false;
    TRobot robot([&] {
      ExpectPage(texts, ("finish-" + std::to_string(n)).c_str(), [&](HWND page) {
        HWND box = ChildByText(page, shortcut);
        HWND noButton = ChildByText(page, no);
        boxEnabled = box && IsWindowEnabled(box);
        noVisible = noButton && IsWindowVisible(noButton);
        if (c.TickShortcut && boxEnabled) ClickOn(box);
        if (c.ChooseNo && noVisible) ClickOn(noButton);
        if (n % 2)
          ClickOn(ChildByText(page, texts.back()));
        else
          PressEnter(page);
      });
    });
    const bool shortcutChecked = ShowFinish(run);
    EXPECT_EQ(boxEnabled, c.Full);
    EXPECT_EQ(noVisible, c.Reboot);
    EXPECT_EQ(shortcutChecked, c.ShortcutChecked);
    EXPECT_EQ(run.RebootNow, c.RebootNow);
    ++n;
  }
}

HWND ReadmeWindow();

// The finish page's restart choice is one group with one tab stop: Tab walks the page and never
// moves the choice, landing on the checked option; the arrows move the choice inside the group.
// Enter closes the page whichever control has the focus, and the choice shown is stored.
TEST_F(Pages, FinishRestartChoiceIsOneTabStop) {
  TSetupRun run;
  run.Language = kGerman;
  run.AppInfo.FullInstallation = true;
  run.RebootRequired = run.RebootNow = true;
  const std::wstring yes = L"&Ja, mein Computer soll jetzt neu gestartet werden.";
  const std::wstring no = L"&Nein, ich werde meinen Computer später selbst neu starten.";
  std::atomic<int> tabStops{0}, changedByTab{0}, noAfterDown{0}, focusOnNo{0};
  TRobot robot([&] {
    HWND page = WaitActive(L"Kro Setup", L"Installation abgeschlossen");
    if (!page) return;
    HWND yesButton = ChildByText(page, yes), noButton = ChildByText(page, no);
    tabStops = int((GetWindowLongW(yesButton, GWL_STYLE) & WS_TABSTOP) != 0) +
               int((GetWindowLongW(noButton, GWL_STYLE) & WS_TABSTOP) != 0);
    ClickOn(noButton);
    for (int i = 0; i < 8; ++i) {
      Press({VK_TAB});
      if (SendMessageW(noButton, BM_GETCHECK, 0, 0) != BST_CHECKED) ++changedByTab;
      if (FocusOf(page) == noButton) ++focusOnNo;
    }
    for (int i = 0; i < 8 && FocusOf(page) != noButton; ++i) Press({VK_TAB});
    Press({VK_UP});
    Press({VK_DOWN});
    noAfterDown = SendMessageW(noButton, BM_GETCHECK, 0, 0) == BST_CHECKED;
    Press({VK_UP});  // "yes" again, the focus on it: Enter still closes
    PressEnter(page);
  });
  ShowFinish(run);
  EXPECT_EQ(tabStops, 1);
  EXPECT_EQ(changedByTab, 0);
  EXPECT_GT(focusOnNo, 0) << "Tab passes the group on its checked option";
  EXPECT_TRUE(noAfterDown);
  EXPECT_TRUE(run.RebootNow);
}

// Enter closes every outcome page whichever control has the focus (on a button it does not
// press it): the finish page from its check box and its button, the readme viewer from its
// print button, where it opens, and from the text; nothing is printed.
TEST_F(Pages, EnterClosesWhateverHasTheFocus) {
  for (int tabs : {0, 1, 2}) {
    TSetupRun run;
    run.Language = kGerman;
    run.AppInfo.FullInstallation = true;
    std::atomic<bool> closed{false};
    {
      TRobot robot([&] {
        HWND page = WaitActive(L"Kro Setup", L"Installation abgeschlossen");
        if (!page) return;
        for (int i = 0; i < tabs; ++i) Press({VK_TAB});
        PressEnter(page);
        closed = WaitClosed(page);
      });
      ShowFinish(run);
    }
    EXPECT_TRUE(closed) << tabs;
  }
  kit::TTempDir dir;
  const std::string path = dir / "liesmich.txt";
  kit::WriteFile(path, kit::Text("Neu in 2.02"));
  for (int tabs : {0, 1, 2}) {
    std::atomic<bool> opensOnPrint{false}, closed{false};
    {
      TRobot robot([&] {
        HWND page = ReadmeWindow();
        if (!page) return;
        opensOnPrint = FocusOf(page) == ChildByText(page, L"&Drucken");
        for (int i = 0; i < tabs; ++i) Press({VK_TAB});
        PressEnter(page);
        closed = WaitClosed(page);
      });
      ShowReadme(path);
    }
    EXPECT_TRUE(closed) << tabs;
    EXPECT_TRUE(opensOnPrint || tabs > 0) << "the viewer opens on its print button";
  }
  EXPECT_TRUE(Boxes.empty()) << "printed: " << (Boxes.empty() ? "" : Boxes[0].second);
}

// ---- Readme viewer ------------------------------------------------------------------------

HWND ReadmeWindow() { return WaitActive(L"Kro Setup", L"Update-Informationen"); }

std::wstring MemoText(HWND page) { return TextOf(ChildOfClass(page, L"RichEdit")); }

// Rich text and plain text (code page 1252) are shown as text; the window takes two thirds of
// the 1024 x 768 screen, centred; the path is shown as given; Enter closes.
TEST_F(Pages, ReadmeShowsTheText) {
  kit::TTempDir dir;
  struct Case {
    const char* Name;
    std::string Bytes;
    const wchar_t* Shown;
  } cases[] = {
      {"liesmich.rtf",
       "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Neu in \\b 2.02\\b0 : mehr.\\par}",
       L"Neu in 2.02: mehr."},
      {"readme.txt",
       "Gr\xFC\xDF"
       "e aus Kro\r\nZeile 2",
       L"Grüße aus Kro\r\nZeile 2"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string path = dir / c.Name;
    kit::WriteFile(path, kit::Text(c.Bytes));
    std::wstring text;
    RECT r{};
    bool pathShown = false, germanButtons = false;
    TRobot robot([&] {
      HWND page = ReadmeWindow();
      if (!page) return;
      Shot(n ? "readme-plain" : "readme-rtf", page);
      text = MemoText(page);
      GetWindowRect(page, &r);
      pathShown = ChildByText(page, Widen(path)) != nullptr;
      germanButtons = ChildByText(page, L"&Drucken") && ChildByText(page, L"&Beenden");
      PressEnter(page);
    });
    ShowReadme(path);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    EXPECT_EQ(text, c.Shown);
    EXPECT_EQ(r.right - r.left, 683);
    EXPECT_EQ(r.bottom - r.top, 512);
    EXPECT_EQ(r.left, (1024 - 683) / 2);
    EXPECT_EQ(r.top, (768 - 512) / 2);
    EXPECT_TRUE(pathShown);
    EXPECT_TRUE(germanButtons);
    ++n;
  }
}

// A readme that cannot be read is reported, and the viewer opens anyway with its design text;
// printing without a printer is reported and the viewer stays open.
TEST_F(Pages, ReadmeFailuresAreReported) {
  kit::TTempDir dir;
  const std::string path = dir / "weg.txt";
  std::wstring text;
  std::atomic<bool> openAfterPrint{false};
  TRobot robot([&] {
    HWND page = ReadmeWindow();
    if (!page) return;
    text = MemoText(page);
    ClickOn(ChildByText(page, L"&Drucken"));
    std::this_thread::sleep_for(300ms);
    openAfterPrint = IsWindowVisible(page) != FALSE;
    ClickOn(ChildByText(page, L"&Beenden"));
  });
  ShowReadme(path);
  EXPECT_EQ(text, L"Memo");
  EXPECT_TRUE(openAfterPrint);
  ASSERT_EQ(Boxes.size(), 2u);
  EXPECT_EQ(Boxes[0].first, mkError);
  EXPECT_NE(Boxes[0].second.find("weg.txt"), std::string::npos);
  EXPECT_EQ(Boxes[1].first, mkError);
}

}  // namespace
