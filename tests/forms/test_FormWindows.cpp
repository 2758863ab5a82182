// Real windows under Wine: a form made from a table, found by its window texts, driven by real
// key presses from a second thread while the test thread sits in the form's modal loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "WindowRobot.h"
#include "uApplication.h"
#include "uArchiveHooks.h"
#include "uFormLogic.h"
#include "uForms.h"
#include "uHandles.h"
#include "uText.h"

namespace {

using namespace std::chrono_literals;

using namespace robot;

// ---- A page-like form -------------------------------------------------------------------

std::vector<std::string> InitLog;

void InitCustom(TWindow w, const TControlDef& def) {
  InitLog.push_back(def.Name);
  SetWindowTextW(w, L"initialised");
}

// A container class of another module: paints itself red, also for WM_PRINTCLIENT.
LRESULT CALLBACK RedProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_ERASEBKGND || m == WM_PRINTCLIENT) {
    RECT r;
    GetClientRect(w, &r);
    TGdiObject b(CreateSolidBrush(RGB(255, 0, 0)));
    FillRect(reinterpret_cast<HDC>(wp), &r, static_cast<HBRUSH>(b.Get()));
    return 1;
  }
  return DefWindowProcW(w, m, wp, lp);
}

TWindow CreateRed(TWindow parent, const TControlDef& d, int id) {
  return CreateWindowExW(0, L"FormsTestRed", L"", WS_CHILD | WS_VISIBLE, d.Left, d.Top, d.Width,
                         d.Height, parent, reinterpret_cast<HMENU>(INT_PTR(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

const TControlDef kControls[] = {
    {.Kind = ckPanel, .Name = "Header", .Width = 400, .Height = 41, .Align = alTop},
    {.Kind = ckLabel,
     .Name = "LabelTitel",
     .Left = 16,
     .Top = 16,
     .Width = 300,
     .Height = 14,
     .Caption = "Installation vorbereiten",
     .Style = csBold,
     .Parent = "Header"},
    {.Kind = ckShape,
     .Name = "Rule",
     .Top = 39,
     .Width = 400,
     .Height = 2,
     .Parent = "Header",
     .Color = 0x3CC8FF},
    {.Kind = ckCustom,
     .Name = "Body",
     .Top = 41,
     .Width = 400,
     .Height = 60,
     .Style = csContainer,
     .Create = &CreateRed},
    {.Kind = ckLabel,
     .Name = "Label1",
     .Left = 8,
     .Top = 8,
     .Width = 200,
     .Height = 30,
     .Caption = "Willkommen",
     .Style = csWordWrap,
     .Parent = "Body"},
    {.Kind = ckEdit,
     .Name = "EditTarget",
     .Left = 16,
     .Top = 110,
     .Width = 200,
     .Height = 21,
     .Caption = "C:\\KRO"},
    {.Kind = ckListBox,
     .Name = "Liste",
     .Left = 16,
     .Top = 140,
     .Width = 200,
     .Height = 56,
     .Caption = "Keine\nEins\nZwei"},
    {.Kind = ckCheckBox,
     .Name = "CBShortcut",
     .Left = 230,
     .Top = 110,
     .Width = 160,
     .Height = 17,
     .Caption = "Verknüpfung"},
    {.Kind = ckRadioButton,
     .Name = "RBYes",
     .Left = 230,
     .Top = 130,
     .Width = 160,
     .Height = 17,
     .Caption = "&Ja",
     .Style = csChecked | csGroup},
    {.Kind = ckRadioButton,
     .Name = "RBNo",
     .Left = 230,
     .Top = 150,
     .Width = 160,
     .Height = 17,
     .Caption = "N&ein"},
    {.Kind = ckProgressBar, .Name = "Progress", .Left = 16, .Top = 200, .Width = 370, .Height = 16},
    {.Kind = ckRichEdit,
     .Name = "Memo",
     .Left = 16,
     .Top = 220,
     .Width = 370,
     .Height = 40,
     .Caption = "Memo",
     .Style = csBorder},
    {.Kind = ckCustom,
     .Name = "Custom",
     .Left = 230,
     .Top = 170,
     .Width = 50,
     .Height = 20,
     .ClassName = L"Static",
     .Init = &InitCustom},
    {.Kind = ckButton,
     .Name = "BtnBack",
     .Left = 100,
     .Top = 270,
     .Width = 83,
     .Height = 21,
     .Caption = "&Zurück"},
    {.Kind = ckButton,
     .Name = "BtnNext",
     .Left = 190,
     .Top = 270,
     .Width = 81,
     .Height = 21,
     .Caption = "&Weiter"},
    {.Kind = ckButton,
     .Name = "BtnCancel",
     .Left = 290,
     .Top = 270,
     .Width = 97,
     .Height = 21,
     .Caption = "&Abbrechen",
     .Style = csAnchorRight | csAnchorBottom},
};
const TTextDef kEnglish[] = {
    {"Page", "Kro Setup (en)"},
    {"LabelTitel", "Prepare installation"},
    {"BtnNext", "Co&ntinue"},
    {"Liste", "None\nOne\nTwo"},
};

// The same controls with the dialog buttons marked, as the message boxes have them.
std::vector<TControlDef> DialogControls() {
  std::vector<TControlDef> c(std::begin(kControls), std::end(kControls));
  for (TControlDef& d : c) {
    if (std::string_view(d.Name) == "BtnNext") d.Style |= csDefault;
    if (std::string_view(d.Name) == "BtnCancel") d.Style |= csCancel;
  }
  return c;
}

TFormDef PageDef(std::span<const TControlDef> controls, bool keyPreview,
                 TBorderStyle border = bsDialog) {
  TFormDef f;
  f.Name = "Page";
  f.Caption = "Kro Setup Test";
  f.ClientWidth = 400;
  f.ClientHeight = 300;
  f.Border = border;
  f.KeyPreview = keyPreview;
  f.Controls = controls;
  f.English = kEnglish;
  return f;
}

class Forms : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitApplication();
    SetApplicationTitle("Kro Setup Test");
    WNDCLASSW wc{};
    wc.lpfnWndProc = &RedProc;
    wc.lpszClassName = L"FormsTestRed";
    wc.hInstance = GetModuleHandleW(nullptr);
    RegisterClassW(&wc);
  }
  void SetUp() override {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
};

RECT RectIn(HWND w, HWND parent) {
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

// Every row of the table is a real child window of its class, at its place in its parent,
// with its German caption as window text.
TEST_F(Forms, ControlsComeFromTheTable) {
  InitLog.clear();
  TForm form(PageDef(kControls, false));
  wchar_t caption[64];
  GetWindowTextW(form.Handle(), caption, 64);
  EXPECT_STREQ(caption, L"Kro Setup Test");
  RECT client;
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, 400);
  EXPECT_EQ(client.bottom, 300);
  struct Row {
    const char* Name;
    const wchar_t* Class;
    const wchar_t* Text;
  } rows[] = {
      {"Header", L"KroFormPanel", L""},
      {"LabelTitel", L"Static", L"Installation vorbereiten"},
      {"Rule", L"Static", L""},
      {"Body", L"FormsTestRed", L""},
      {"Label1", L"Static", L"Willkommen"},
      {"EditTarget", L"Edit", L"C:\\KRO"},
      {"Liste", L"ListBox", L""},
      {"CBShortcut", L"Button", L"Verknüpfung"},
      {"RBYes", L"Button", L"&Ja"},
      {"Progress", L"msctls_progress32", L""},
      {"Memo", L"RICHEDIT50W", L"Memo"},
      {"Custom", L"Static", L"initialised"},
      {"BtnNext", L"Button", L"&Weiter"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    HWND w = form.Control(row.Name);
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    EXPECT_EQ(lstrcmpiW(cls, row.Class), 0) << Narrow(cls);
    EXPECT_EQ(TextOf(w), row.Text);
    EXPECT_EQ(TForm::FromWindow(w), &form);
    const TControlDef& d = *FindControlDef(form.Def(), row.Name);
    const RECT r = RectIn(w, GetParent(w));
    if (d.Align == alNone) {
      EXPECT_EQ(r.left, d.Left);
      EXPECT_EQ(r.top, d.Top);
    }
    if (d.Kind != ckListBox) {  // a list box keeps to whole items
      EXPECT_EQ(r.bottom - r.top, d.Height);
    }
    EXPECT_EQ(GetParent(w), d.Parent ? form.Control(d.Parent) : form.Handle());
  }
  EXPECT_EQ(InitLog, std::vector<std::string>{"Custom"});
  EXPECT_EQ(form.ItemCount("Liste"), 3);
  EXPECT_EQ(form.Item("Liste", 2), "Zwei");
  EXPECT_TRUE(form.Checked("RBYes"));
  EXPECT_FALSE(form.Checked("RBNo"));
  EXPECT_THROW(form.Control("Nothing"), EInvalidForm);
}

TEST_F(Forms, UnsoundTableIsRefused) {
  const TControlDef twice[] = {{.Name = "A"}, {.Name = "A"}};
  EXPECT_THROW(TForm(PageDef(twice, false)), EInvalidForm);
}

// English where the text table has it, back to German from the control table; controls
// without an English text keep what code gave them.
TEST_F(Forms, LanguageTexts) {
  TForm form(PageDef(kControls, false));
  form.SetText("Label1", "von Code");
  form.SetLanguageTexts(1);
  EXPECT_EQ(form.Text("LabelTitel"), "Prepare installation");
  EXPECT_EQ(form.Text("BtnNext"), "Co&ntinue");
  EXPECT_EQ(form.Item("Liste", 0), "None");
  EXPECT_EQ(form.Text("Label1"), "von Code");
  EXPECT_EQ(TextOf(form.Handle()), L"Kro Setup (en)");
  form.SetLanguageTexts(0);
  EXPECT_EQ(form.Text("LabelTitel"), "Installation vorbereiten");
  EXPECT_EQ(form.Text("BtnNext"), "&Weiter");
  EXPECT_EQ(form.Item("Liste", 1), "Eins");
  EXPECT_EQ(TextOf(form.Handle()), L"Kro Setup Test");
}

// Setters: an edit's change handler runs when code sets its text (the destination page relies
// on it), progress and list selection read back, rich text and plain code page 1252 text.
TEST_F(Forms, ControlProperties) {
  TForm form(PageDef(kControls, false));
  int changes = 0;
  form.OnChange("EditTarget", [&] { ++changes; });
  form.SetText("EditTarget", "D:\\Neu");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(form.Text("EditTarget"), "D:\\Neu");
  form.SetPosition("Progress", 40);
  EXPECT_EQ(form.Position("Progress"), 40);
  form.SetItemIndex("Liste", 2);
  EXPECT_EQ(form.ItemIndex("Liste"), 2);
  form.SetEnabled("BtnNext", false);
  EXPECT_FALSE(form.Enabled("BtnNext"));
  form.SetVisible("Label1", false);
  EXPECT_FALSE(form.Visible("Label1"));
  form.LoadRichText("Memo", "{\\rtf1\\ansi Hallo {\\b Welt}\\par}");
  EXPECT_EQ(form.Text("Memo").substr(0, 10), "Hallo Welt");
  form.LoadRichText("Memo",
                    "Gr\xFC\xDF "
                    "Gott");
  EXPECT_EQ(form.Text("Memo"), "Grüß Gott");
}

// A sizeable form: the header band follows the width, the anchored button the corner.
TEST_F(Forms, LayoutFollowsTheSize) {
  TForm form(PageDef(kControls, false, bsSizeable));
  form.SetClientSize(600, 400);
  const RECT header = RectIn(form.Control("Header"), form.Handle());
  EXPECT_EQ(header.right - header.left, 600);
  const RECT cancel = RectIn(form.Control("BtnCancel"), form.Handle());
  EXPECT_EQ(cancel.left, 290 + 200);
  EXPECT_EQ(cancel.top, 270 + 100);
}

// A transparent label shows its parent's background, also over a custom container.
TEST_F(Forms, TransparentLabelShowsItsParent) {
  TForm form(PageDef(kControls, false));
  form.SetText("Label1", " ");
  form.Show();
  Pump(300ms);
  HWND label = form.Control("Label1");
  const COLORREF pixel = GetPixel(TWindowDC(label).Get(), 150, 20);
  form.Hide();
  EXPECT_EQ(pixel, RGB(255, 0, 0));
}

namespace {

// One key scenario: which control has the focus, what is pressed, what the form records.
struct TKeyCase {
  const char* What;
  bool Dialog;  // the form has default and cancel buttons
  bool NextEnabled;
  const char* Focus;
  std::vector<TKey> Keys;
  std::string ExpectedLog;
  int ExpectedResult;
  std::string ExpectedEdit;
};

}  // namespace

// Key preview sees keys before the focused control and can take them; pages act on Enter from
// OnKeyPress; a dialog's default and cancel buttons answer Enter and Escape; a focused push
// button takes Enter itself; Tab moves on; Alt with an access key clicks.
TEST_F(Forms, KeysReachPreviewThenDialog) {
  const std::vector<TKeyCase> cases = {
      {"page: Enter in the edit acts as Next",
       false,
       true,
       "EditTarget",
       {{VK_RETURN}},
       "down:0D press:0D click:BtnNext ",
       mrOk,
       "C:\\KRO"},
      {"page: Enter with Next disabled does nothing, Escape neither",
       false,
       false,
       "EditTarget",
       {{VK_RETURN}, {VK_ESCAPE}},
       "down:0D press:0D down:1B press:1B ",
       mrCancel,
       "C:\\KRO"},
      {"page: preview takes X, Y reaches the edit",
       false,
       false,
       "EditTarget",
       {{VK_END}, {'X'}, {'Y'}},
       "down:23 down:58 down:59 press:79 ",
       mrCancel,
       "C:\\KROy"},
      {"dialog: Enter in the edit clicks the default button",
       true,
       true,
       "EditTarget",
       {{VK_RETURN}},
       "down:0D click:BtnNext ",
       mrOk,
       "C:\\KRO"},
      {"dialog: Escape clicks the cancel button",
       true,
       true,
       "EditTarget",
       {{VK_ESCAPE}},
       "down:1B click:BtnCancel ",
       mrAbort,
       "C:\\KRO"},
      {"dialog: Enter on a focused push button clicks that one",
       true,
       true,
       "BtnBack",
       {{VK_RETURN}},
       "down:0D click:BtnBack ",
       mrRetry,
       "C:\\KRO"},
      {"dialog: Tab from the edit, then Escape",
       true,
       true,
       "EditTarget",
       {{VK_TAB}, {VK_ESCAPE}},
       "down:09 down:1B click:BtnCancel focus:Liste ",
       mrAbort,
       "C:\\KRO"},
      {"page: Down on a radio button checks the next one",
       false,
       false,
       "RBYes",
       {{VK_DOWN}},
       "down:28 radio:No ",
       mrCancel,
       "C:\\KRO"},
      {"page: Alt+W clicks Weiter",
       false,
       true,
       "EditTarget",
       {{'W', false, true}},
       "down:12 down:57 click:BtnNext ",
       mrOk,
       "C:\\KRO"},
  };
  const std::vector<TControlDef> dialogControls = DialogControls();
  for (const TKeyCase& c : cases) {
    SCOPED_TRACE(c.What);
    TForm form(c.Dialog ? PageDef(dialogControls, true) : PageDef(kControls, true));
    std::string log, robotLog;  // each written by one thread only
    char buf[32];
    form.OnKeyDown = [&](WORD& key, TShiftState) {
      snprintf(buf, sizeof buf, "down:%02X ", key);
      log += buf;
      if (key == 'X') key = 0;
    };
    form.OnKeyPress = [&](wchar_t& key) {
      snprintf(buf, sizeof buf, "press:%02X ", unsigned(key));
      log += buf;
      if (key == '\r') {
        key = 0;
        if (!c.Dialog) form.Click("BtnNext");
      }
    };
    form.OnClick("BtnNext", [&] {
      log += "click:BtnNext ";
      form.ModalResult = mrOk;
    });
    form.OnClick("BtnBack", [&] {
      log += "click:BtnBack ";
      form.ModalResult = mrRetry;
    });
    form.OnClick("BtnCancel", [&] {
      log += "click:BtnCancel ";
      form.ModalResult = mrAbort;
    });
    form.SetEnabled("BtnNext", c.NextEnabled);
    form.SetFocus(c.Focus);
    HWND liste = form.Control("Liste");
    HWND focus = form.Control(c.Focus);
    int result;
    {
      TRobot robot([&] {
        HWND top = WaitActive(L"Kro Setup Test");
        ASSERT_TRUE(top);
        WaitFor([&] { return FocusOf(top) == focus; });
        for (const TKey& k : c.Keys) {
          Press(k);
          if (k.Vk == VK_TAB && FocusOf(top) == liste) robotLog += "focus:Liste ";
        }
        std::this_thread::sleep_for(150ms);
        if (IsWindowVisible(top)) PostMessageW(top, WM_CLOSE, 0, 0);
      });
      result = form.ShowModal();
    }
    if (form.Checked("RBNo")) log += "radio:No ";
    log += robotLog;
    EXPECT_EQ(log, c.ExpectedLog);
    EXPECT_EQ(result, c.ExpectedResult);
    EXPECT_EQ(form.Text("EditTarget"), c.ExpectedEdit);
  }
}

// The close box asks the close query; a refusal keeps the form open as it was, OnClose with
// caNone too; the next close goes through with mrCancel.
TEST_F(Forms, CloseQueryAndCloseDecide) {
  TForm form(PageDef(kControls, false));
  std::atomic<int> queries = 0, closes = 0;
  form.OnCloseQuery = [&](bool& canClose) { canClose = ++queries >= 2; };
  form.OnClose = [&](TCloseAction& action) {
    if (++closes == 1) action = caNone;
  };
  bool openAfterRefusal = false, openAfterNone = false;
  int result;
  {
    TRobot robot([&] {
      HWND top = WaitActive(L"Kro Setup Test");
      PostMessageW(top, WM_CLOSE, 0, 0);
      WaitFor([&] { return queries == 1; });
      std::this_thread::sleep_for(100ms);
      openAfterRefusal = IsWindowVisible(top);
      PostMessageW(top, WM_CLOSE, 0, 0);
      WaitFor([&] { return closes == 1; });
      std::this_thread::sleep_for(100ms);
      openAfterNone = IsWindowVisible(top);
      PostMessageW(top, WM_CLOSE, 0, 0);
    });
    result = form.ShowModal();
  }
  EXPECT_TRUE(openAfterRefusal);
  EXPECT_TRUE(openAfterNone);
  EXPECT_EQ(queries, 3);
  EXPECT_EQ(closes, 2);
  EXPECT_EQ(result, mrCancel);
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

// A form shown from a handler of another is modal over it: the first is disabled meanwhile
// and active again afterwards, and each returns its own modal result.
TEST_F(Forms, NestedModalForms) {
  TForm outer(PageDef(kControls, false));
  std::vector<TControlDef> innerControls(std::begin(kControls), std::end(kControls));
  TFormDef innerDef = PageDef(innerControls, false);
  innerDef.Caption = "Innen";
  int innerResult = 0;
  outer.OnClick("BtnNext", [&] {
    TForm inner(innerDef);
    inner.OnClick("BtnNext", [&] { inner.ModalResult = mrYes; });
    innerResult = inner.ShowModal();
    outer.ModalResult = mrNo;
  });
  bool outerDisabled = false, outerEnabledAfter = false;
  int result;
  {
    TRobot robot([&] {
      HWND top = WaitActive(L"Kro Setup Test");
      PostMessageW(ChildByText(top, L"&Weiter"), BM_CLICK, 0, 0);
      HWND inner = WaitActive(L"Innen");
      outerDisabled = !IsWindowEnabled(top);
      PostMessageW(ChildByText(inner, L"&Weiter"), BM_CLICK, 0, 0);
      WaitFor([&] { return !IsWindowVisible(top); });
      outerEnabledAfter = IsWindowEnabled(top);
    });
    result = outer.ShowModal();
  }
  EXPECT_TRUE(outerDisabled);
  EXPECT_TRUE(outerEnabledAfter);
  EXPECT_EQ(innerResult, mrYes);
  EXPECT_EQ(result, mrNo);
}

// A one-shot timer ticks once; while a message box is open over the form its tick waits and
// comes right after the answer; a form closed under a waiting tick never gets it.
TEST_F(Forms, OneShotTimersWaitForMessageBoxes) {
  struct Case {
    const char* What;
    bool Ask;
    WORD Answer;
    int TicksWhileOpen, TicksAfter;
  } cases[] = {
      {"no box: one tick only", false, 0, 0, 1},
      {"confirmed: the tick follows the answer", true, VK_RETURN, 0, 1},
      {"abort closes the form: no tick ever", true, VK_ESCAPE, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TForm form(PageDef(kControls, false));
    std::atomic<int> ticks = 0;
    TOneShotTimer& start = form.AddTimer(100, [&] { ++ticks; });
    TOneShotTimer& ask = form.AddTimer(10, [&] {
      if (!ConfirmBox("Weiter?")) form.ModalResult = mrCancel;
    });
    form.OnShow = [&] {
      start.Start();
      if (c.Ask) ask.Start();
    };
    std::atomic<int> whileOpen = -1;
    {
      TRobot robot([&] {
        HWND top = WaitShown(L"Kro Setup Test");
        if (c.Ask) {
          HWND box = WaitActive(L"Bestätigung");
          std::this_thread::sleep_for(500ms);
          whileOpen = ticks.load();
          if (box) Press({c.Answer});
        }
        // The tick that is due, however late a loaded machine brings it, then time for one
        // more that must not come.
        WaitFor([&] { return ticks.load() >= c.TicksAfter || !IsWindowVisible(top); });
        std::this_thread::sleep_for(400ms);
        if (IsWindowVisible(top)) PostMessageW(top, WM_CLOSE, 0, 0);
      });
      form.ShowModal();
    }
    Pump(300ms);
    if (c.Ask) {
      EXPECT_EQ(whileOpen.load(), c.TicksWhileOpen);
    }
    EXPECT_EQ(ticks.load(), c.TicksAfter);
    EXPECT_FALSE(start.Enabled());
  }
}

namespace {
struct TBoxCase {
  const char* What;
  TMessageKind Kind;
  std::string Text;
  const wchar_t* Title;
  std::vector<std::wstring> Buttons;
  std::vector<TKey> Keys;  // none: the close box
  int Expected;
};
}  // namespace

// The three boxes: titles and buttons German in every language, the message byte for byte
// (a lone carriage return included), Enter on OK, Escape and the close box on Abbrechen.
TEST_F(Forms, MessageBoxes) {
  const std::vector<TBoxCase> cases = {
      {"information",
       mkInformation,
       "Setup can not be processed!",
       L"Kro Setup Test",
       {L"OK"},
       {{VK_RETURN}},
       mrOk},
      {"information, Escape", mkInformation, "x", L"Kro Setup Test", {L"OK"}, {{VK_ESCAPE}}, mrOk},
      {"error",
       mkError,
       "The file a.dll could not be copied!\rWindows said: x",
       L"Fehler",
       {L"OK"},
       {{VK_RETURN}},
       mrOk},
      {"confirmation, OK",
       mkConfirmation,
       "ACHTUNG!\r\rWenn Sie den Zielort ändern",
       L"Bestätigung",
       {L"OK", L"Abbrechen"},
       {{VK_RETURN}},
       mrOk},
      {"confirmation, Escape",
       mkConfirmation,
       "IMPORTANT!",
       L"Bestätigung",
       {L"OK", L"Abbrechen"},
       {{VK_ESCAPE}},
       mrCancel},
      {"confirmation, Tab to Abbrechen",
       mkConfirmation,
       "x",
       L"Bestätigung",
       {L"OK", L"Abbrechen"},
       {{VK_TAB}, {VK_RETURN}},
       mrCancel},
      {"confirmation, close box",
       mkConfirmation,
       "x",
       L"Bestätigung",
       {L"OK", L"Abbrechen"},
       {},
       mrCancel},
  };
  for (const TBoxCase& c : cases) {
    SCOPED_TRACE(c.What);
    std::vector<std::wstring> buttons;
    std::wstring message;
    int result;
    {
      TRobot robot([&] {
        HWND box = WaitActive(c.Title);
        ASSERT_TRUE(box);
        buttons = TextsOfClass(box, L"Button");
        message = ChildByText(box, Widen(c.Text)) ? Widen(c.Text) : L"(not found)";
        if (c.Keys.empty()) PostMessageW(box, WM_CLOSE, 0, 0);
        for (const TKey& k : c.Keys) Press(k);
      });
      result = RunMessageBox(c.Kind, c.Text);
    }
    EXPECT_EQ(buttons, c.Buttons);
    EXPECT_EQ(message, Widen(c.Text));
    EXPECT_EQ(result, c.Expected);
  }
}

namespace {
std::vector<std::pair<TMessageKind, std::string>> SeamLog;
int RecordBox(TMessageKind kind, const std::string& text) {
  SeamLog.emplace_back(kind, text);
  return kind == mkConfirmation ? mrCancel : mrOk;
}
}  // namespace

// The seam answers instead of the real boxes; the error display goes through it too.
TEST_F(Forms, MessageBoxSeam) {
  SeamLog.clear();
  SetMessageBoxFunc(&RecordBox);
  ShowMessageBox("a");
  ShowErrorBox("b");
  const bool confirmed = ConfirmBox("c");
  HandleException(std::make_exception_ptr(std::runtime_error("d")));
  HandleException(std::make_exception_ptr(42));
  SetMessageBoxFunc(nullptr);
  EXPECT_FALSE(confirmed);
  const std::vector<std::pair<TMessageKind, std::string>> expected = {
      {mkInformation, "a"},
      {mkError, "b"},
      {mkConfirmation, "c"},
      {mkError, "d"},
      {mkError, "Unexpected error."}};
  EXPECT_EQ(SeamLog, expected);
}

// An exception in a click handler never crosses the window procedure: its message appears in
// the error box, and the form stays open and usable.
TEST_F(Forms, HandlerErrorsReachTheErrorDisplay) {
  TForm form(PageDef(kControls, false));
  form.OnClick("BtnNext", [] { throw std::runtime_error("Kaputt: äöü"); });
  form.OnClick("BtnBack", [&] { form.ModalResult = mrOk; });
  std::wstring shown;
  bool stillOpen = false;
  int result;
  {
    TRobot robot([&] {
      HWND top = WaitActive(L"Kro Setup Test");
      PostMessageW(ChildByText(top, L"&Weiter"), BM_CLICK, 0, 0);
      HWND box = WaitActive(L"Fehler");
      ASSERT_TRUE(box);
      if (ChildByText(box, L"Kaputt: äöü")) shown = L"Kaputt: äöü";
      Press({VK_RETURN});
      WaitFor([&] { return IsWindowEnabled(top) != FALSE; });
      stillOpen = IsWindowVisible(top);
      PostMessageW(ChildByText(top, L"&Zurück"), BM_CLICK, 0, 0);
    });
    result = form.ShowModal();
  }
  EXPECT_EQ(shown, L"Kaputt: äöü");
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, mrOk);
}

// An error while the form is being shown is reported, and the form still opens.
TEST_F(Forms, ShowErrorStillOpensTheForm) {
  SeamLog.clear();
  SetMessageBoxFunc(&RecordBox);
  TForm form(PageDef(kControls, false));
  form.OnShow = [] { throw std::runtime_error("Datei gesperrt"); };
  bool opened = false;
  {
    TRobot robot([&] {
      HWND top = WaitActive(L"Kro Setup Test");
      opened = top != nullptr;
      PostMessageW(top, WM_CLOSE, 0, 0);
    });
    form.ShowModal();
  }
  SetMessageBoxFunc(nullptr);
  EXPECT_TRUE(opened);
  ASSERT_EQ(SeamLog.size(), 1u);
  EXPECT_EQ(SeamLog[0].second, "Datei gesperrt");
}

namespace {
void ThrowingInit(TWindow, const TControlDef&) { throw std::runtime_error("no init"); }
}  // namespace

// A control that cannot be made fails the whole form, and leaves no window of it behind.
TEST_F(Forms, FailedCreationLeavesNoWindow) {
  const TControlDef controls[] = {
      {.Kind = ckCustom, .Name = "Broken", .ClassName = L"Static", .Init = &ThrowingInit}};
  TFormDef def = PageDef(controls, false);
  def.English = {};
  def.Caption = "Halb fertig";
  EXPECT_THROW(TForm{def}, std::runtime_error);
  EXPECT_EQ(FindWindowW(nullptr, L"Halb fertig"), nullptr);
  const TControlDef unknownClass[] = {
      {.Kind = ckCustom, .Name = "Nowhere", .ClassName = L"NoSuchClassAnywhere"}};
  def.Controls = unknownClass;
  EXPECT_THROW(TForm{def}, Exception);
}

// The program ending while a page is open: its loop ends with mrCancel and the quit goes on
// to the loop outside it.
TEST_F(Forms, QuitEndsTheModalLoop) {
  TForm form(PageDef(kControls, false));
  form.AddTimer(50, [] { PostQuitMessage(7); }).Start();
  int result = form.ShowModal();
  MSG msg{};
  const bool quit = PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  EXPECT_EQ(result, mrCancel);
  EXPECT_TRUE(quit);
  EXPECT_EQ(msg.wParam, 7u);
}

// The main form: the program's loop runs until it closes, and its close query can refuse.
TEST_F(Forms, MainFormEndsTheProgramLoop) {
  TForm form(PageDef(kControls, false));
  int queries = 0;
  form.OnCloseQuery = [&](bool& canClose) { canClose = ++queries > 1; };
  TOneShotTimer& second = form.AddTimer(50, [&] { form.Close(); });
  TOneShotTimer& first = form.AddTimer(20, [&] {
    form.Close();  // refused: the loop goes on
    second.Start();
  });
  form.OnShow = [&] { first.Start(); };
  EXPECT_EQ(RunApplication(form), 0);
  EXPECT_EQ(queries, 2);
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

// The archive's pump between output blocks is the one InitApplication installs: it runs the
// form's handlers, so a page stays alive during a long extraction.
TEST_F(Forms, ArchivePumpRunsTheFormsHandlers) {
  TForm form(PageDef(kControls, false));
  int clicks = 0;
  form.OnClick("BtnCancel", [&] { ++clicks; });
  HWND cancel = form.Control("BtnCancel");
  PostMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(cancel), BN_CLICKED),
               LPARAM(cancel));
  ASSERT_NE(ArchiveHooks().ProcessMessages, DefaultArchiveHooks().ProcessMessages);
  ArchiveHooks().ProcessMessages();
  EXPECT_EQ(clicks, 1);
}

// Notifications from a control inside a container reach the form's message hook, which can
// answer them; messages it leaves alone keep the framework's handling.
TEST_F(Forms, ContainerNotificationsReachTheForm) {
  TForm form(PageDef(kControls, false));
  std::vector<UINT> codes;
  form.OnMessage = [&](UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg != WM_NOTIFY) return false;
    codes.push_back(reinterpret_cast<const NMHDR*>(lp)->code);
    result = 42;
    return true;
  };
  int clicks = 0;
  form.OnClick("BtnNext", [&] { ++clicks; });
  NMHDR header{form.Control("LabelTitel"), 0, UINT(-12)};
  const LRESULT answer =
      SendMessageW(form.Control("Header"), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  HWND next = form.Control("BtnNext");
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(next), BN_CLICKED), LPARAM(next));
  EXPECT_EQ(answer, 42);
  EXPECT_EQ(codes, std::vector<UINT>{UINT(-12)});
  EXPECT_EQ(clicks, 1);
}
