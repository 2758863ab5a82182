// Our small window framework: every form a real top-level window with its own modal loop,
// every control a real child window whose window text is its caption. A form is made from its
// designed table (uFormDefs.h); code wires the handlers by control name.
//
// Keys: a form with KeyPreview sees each key (OnKeyDown, then OnKeyPress for its character)
// before the focused control; a handler that sets the key to 0 takes it. Keys nobody took
// then do the dialog's work: Tab moves the focus, Enter clicks a focused push button or the
// default button, Escape the cancel button, Alt with an access key clicks that control. This
// happens in the controls' window procedures, so it holds under any message loop, also the one
// the archive runs between output blocks.
//
// Exceptions never leave a window procedure: they go to HandleException (uApplication.h).
//
// A page as designed data, and the code that wires it (the wizard's pages lay the same out of
// the shared rows of src/pages/diaPageFrame.h):
//
//   const TControlDef kWelcome[] = {
//       {.Kind = ckPanel, .Name = "Body", .Width = 472, .Height = 253, .Align = alTop},
//       {.Kind = ckLabel, .Name = "Label1", .Left = 32, .Top = 40, .Width = 417, .Height = 33,
//        .Caption = "Willkommen zum ...", .Style = csWordWrap, .Parent = "Body"},
//       {.Kind = ckButton, .Name = "BtnNext", .Left = 266, .Top = 261, .Width = 81,
//        .Height = 21, .Caption = "&Weiter"},
//   };
//   const TTextDef kWelcomeEnglish[] = {{"Label1", "Welcome to ..."}, {"BtnNext", "Co&ntinue"}};
//
//   TForm page({.Name = "SetupdialogWelcome", .Caption = "Kro Setup", .ClientWidth = 472,
//               .ClientHeight = 286, .KeyPreview = true, .Controls = kWelcome,
//               .English = kWelcomeEnglish});
//   page.OnShow = [&] { page.SetLanguageTexts(language); };  // 1: English, else German
//   page.OnClick("BtnNext", [&] { page.ModalResult = mrOk; });
//   page.OnKeyPress = [&](wchar_t& key) {
//     if (key != '\r') return;
//     key = 0;
//     page.Click("BtnNext");  // does nothing while it is disabled
//   };
//   const bool next = page.ShowModal() == mrOk;  // the close box gives mrCancel
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "uExceptions.h"
#include "uFormDefs.h"
#include "uHandles.h"

enum TModalResult : int {
  mrNone = 0,
  mrOk = IDOK,
  mrCancel = IDCANCEL,
  mrAbort = IDABORT,
  mrRetry = IDRETRY,
  mrIgnore = IDIGNORE,
  mrYes = IDYES,
  mrNo = IDNO,
};

enum TCloseAction : std::uint8_t { caNone, caHide };

struct TShiftState {
  bool Shift = false, Ctrl = false, Alt = false;
};

class TForm;

// A designed table that cannot make a form, or a control name the form does not have. (The
// program's own exception class: the standard ones would bring a second string library.)
class EInvalidForm : public Exception {
  using Exception::Exception;
};

// A one-shot timer of a form: Start arms it, the first tick stops it before OnTimer runs.
// While a modal window (a message box, another form) is open over the form the tick waits,
// and comes right after that window has closed. Hiding the form drops it.
class TOneShotTimer {
 public:
  unsigned Interval = 1000;  // milliseconds
  std::function<void()> OnTimer;

  void Start();
  void Stop();
  bool Enabled() const { return Armed; }

 private:
  friend class TForm;
  TOneShotTimer(TForm& owner, UINT_PTR id, unsigned interval)
      : Interval(interval), Owner(owner), Id(id) {}
  TForm& Owner;
  UINT_PTR Id;
  bool Armed = false;
  bool Waiting = false;  // ticked while a modal window was open over the form
};

class TForm {
 public:
  // Creates the hidden window and its controls. Raises EInvalidForm for an unsound table and
  // Exception when a window cannot be created. The form refers to the
  // tables and texts of def for its whole life: keep them static.
  explicit TForm(const TFormDef& def);
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  HWND Handle() const { return Wnd.Get(); }
  const TFormDef& Def() const { return Design; }

  // Events. Handlers take what the designed forms' handlers take, without the sender.
  std::function<void()> OnShow;
  std::function<void(bool& canClose)> OnCloseQuery;
  std::function<void(TCloseAction& action)> OnClose;
  std::function<void(WORD& key, TShiftState shift)> OnKeyDown;  // KeyPreview only
  std::function<void(wchar_t& key)> OnKeyPress;                 // KeyPreview only
  // Push buttons, check boxes, radio buttons and custom controls that notify like buttons.
  void OnClick(std::string_view control, std::function<void()> handler);
  // Edit text changed, list box selection changed.
  void OnChange(std::string_view control, std::function<void()> handler);
  // Every message of the form window before the framework's own handling, also the
  // notifications (WM_NOTIFY, WM_COMMAND) that containers pass up from their children: return
  // true with result set to take the message.
  std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)> OnMessage;

  // Modal showing: disables the other windows of the program, shows the form and runs its
  // loop until ModalResult is set and the close query allows it. A WM_QUIT ends the loop with
  // mrCancel and is passed on.
  int ShowModal();
  void Show();  // modeless: the backdrop
  void Hide();
  // A modal form: ModalResult := mrCancel (the loop asks OnCloseQuery). The main form: close
  // query, OnClose, then the program's loop ends.
  void Close();
  int ModalResult = mrNone;
  bool Modal() const { return InModalLoop; }
  // Closing this form ends RunApplication.
  void SetMainForm() { IsMainForm = true; }

  // Sets the texts of the controls in the English table: English for language 1, the German
  // captions of the table otherwise. The form's caption too when the table has it.
  void SetLanguageTexts(int language);

  // Controls by name. An unknown name raises EInvalidForm.
  HWND Control(std::string_view name) const;
  std::string Text(std::string_view name) const;
  void SetText(std::string_view name, std::string_view utf8);
  void SetCaption(std::string_view utf8);
  bool Enabled(std::string_view name) const;
  void SetEnabled(std::string_view name, bool value);
  bool Visible(std::string_view name) const;  // its own flag, whether or not the form shows
  void SetVisible(std::string_view name, bool value);
  bool Checked(std::string_view name) const;
  void SetChecked(std::string_view name, bool value);
  void SetBounds(std::string_view name, int left, int top, int width, int height);
  void SetTop(std::string_view name, int top);
  void SetFocus(std::string_view name);
  // Clicks an enabled control as the user would: handlers run, a check box toggles.
  void Click(std::string_view name);
  // When the focus is on one of the form's push buttons (any control that says so to the
  // keyboard, owner-drawn or not), clicks it and gives true.
  bool ClickFocusedPushButton();
  // List boxes.
  void SetItems(std::string_view name, const std::vector<std::string>& items);
  void AddItem(std::string_view name, std::string_view item);
  int ItemIndex(std::string_view name) const;
  void SetItemIndex(std::string_view name, int index);
  int ItemCount(std::string_view name) const;
  std::string Item(std::string_view name, int index) const;
  // Progress bars: a value equal to the shown one does nothing.
  void SetPosition(std::string_view name, int percent);
  int Position(std::string_view name) const;
  // Rich-text viewer: rich text when the bytes start with "{\rtf", plain code page 1252 text
  // otherwise. maxLength 0 keeps the control's limit.
  void LoadRichText(std::string_view name, std::string_view bytes, int maxLength = 0);

  // Outer window size, as the designed forms' Width and Height.
  void SetWindowSize(int width, int height);
  void SetClientSize(int width, int height);
  void CenterOnScreen();

  TOneShotTimer& AddTimer(unsigned intervalMs, std::function<void()> handler = nullptr);

  // For tests and custom controls: the form a window belongs to (the form itself or any of its
  // controls); nothing for a foreign window.
  static TForm* FromWindow(HWND wnd);

 private:
  struct TControl {
    const TControlDef* Def;
    HWND Wnd;
    int Id;
    WNDPROC Original;
    std::function<void()> Click, Change;
  };

  friend class TOneShotTimer;
  static LRESULT CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleFormMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleControlMessage(TControl& c, UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  HWND CreateControl(const TControlDef& def, HWND parent, int id);
  HFONT FontFor(const char* face, int height, bool bold);
  TControl* Find(std::string_view name);
  const TControl* Find(std::string_view name) const;
  TControl& Need(std::string_view name);
  const TControl& Need(std::string_view name) const;
  TControl* ById(int id);
  TControl* ByWindow(HWND wnd);
  void LayoutChildren(HWND parent);
  bool HandleKeyDown(HWND target, WPARAM& key);
  bool HandleChar(HWND target, WPARAM& ch, bool alt);
  void ClickWindow(HWND wnd);
  HWND DialogButton(std::uint32_t flag) const;
  LRESULT ColorStatic(HWND control, HDC dc);
  void PaintBackground(HDC dc, const RECT& r);
  bool RunCloseQuery();
  void TimerTick(UINT_PTR id);
  void ReleaseWaitingTimers();
  void DropTimers();

  TFormDef Design;
  std::vector<TControl> Controls;
  std::vector<std::pair<std::string, TGdiObject>> Fonts;
  std::vector<TGdiObject> Brushes;
  std::vector<std::unique_ptr<TOneShotTimer>> Timers;
  HWND LastFocus = nullptr;
  bool InModalLoop = false;
  bool IsMainForm = false;
  bool SuppressChar = false;  // the key's character belongs to a key someone already took
  // Last, so that it goes first: the window's destruction still finds the controls, fonts and
  // brushes it uses, also when a constructor that made it throws.
  TBoundWindow Wnd;
};

// The program's loop for its main form: shows it and runs until it closes (WM_QUIT).
int RunApplication(TForm& mainForm);

// Loads a system DLL by its full path in the system folder, never from the program's folder
// or the search path. Empty on failure.
TModuleHandle LoadSystemLibrary(const wchar_t* fileName);
