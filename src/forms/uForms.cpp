#include "uForms.h"

#include <commctrl.h>
#include <richedit.h>

#include "uApplication.h"
#include "uColorWin.h"
#include "uFormLogic.h"
#include "uText.h"

namespace {

const wchar_t kFormClass[] = L"KroForm";
const wchar_t kPanelClass[] = L"KroFormPanel";
const wchar_t kControlProp[] = L"KroFormControl";
// A timer's tick that waited for a modal window to close, posted so that it comes through the
// loop and never from inside that window's closing.
constexpr UINT kWaitedTick = WM_APP + 0x3F0;

void EnsureClasses() {
  static bool registered = false;
  if (registered) return;
  const HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpfnWndProc = &DefWindowProcW;  // replaced per window below
  wc.lpszClassName = kPanelClass;
  RegisterClassExW(&wc);
  wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(1));
  wc.lpszClassName = kFormClass;
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return DefWindowProcW(w, m, wp, lp);
  };
  RegisterClassExW(&wc);
  registered = true;
}

const wchar_t* RichEditClass() {
  static TModuleHandle library;
  static const wchar_t* cls = nullptr;
  if (cls) return cls;
  if ((library = LoadSystemLibrary(L"msftedit.dll")))
    cls = L"RICHEDIT50W";
  else if ((library = LoadSystemLibrary(L"riched20.dll")))
    cls = RICHEDIT_CLASSW;
  else
    throw Exception("The rich text control could not be loaded.");
  return cls;
}

bool IsTransparentKind(const TControlDef& d) {
  return (d.Kind == ckLabel || d.Kind == ckCheckBox || d.Kind == ckRadioButton) &&
         !(d.Style & csOpaque);
}

bool IsContainerDef(const TControlDef& d) {
  return d.Kind == ckPanel || (d.Kind == ckCustom && (d.Style & csContainer));
}

std::wstring WindowTextW(HWND w) {
  std::wstring s(size_t(GetWindowTextLengthW(w)) + 1, L'\0');
  s.resize(size_t(GetWindowTextW(w, s.data(), int(s.size()))));
  return s;
}

TShiftState CurrentShift() {
  return {GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_MENU) < 0};
}

struct TStreamSource {
  std::string_view Bytes;
  size_t Pos = 0;
};

DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* s = reinterpret_cast<TStreamSource*>(cookie);
  const size_t n = std::min(size_t(size), s->Bytes.size() - s->Pos);
  memcpy(buffer, s->Bytes.data() + s->Pos, n);
  s->Pos += n;
  *done = LONG(n);
  return 0;
}

}  // namespace

TModuleHandle LoadSystemLibrary(const wchar_t* fileName) {
  wchar_t dir[MAX_PATH];
  const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TModuleHandle();
  std::wstring path(dir, n);
  path += L'\\';
  path += fileName;
  // Its own dependencies are looked for beside it, in the system folder.
  return TModuleHandle(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

// ---------------------------------------------------------------------------------------------
// Timers

void TOneShotTimer::Start() {
  Armed = true;
  Waiting = false;
  if (Owner.Wnd) SetTimer(Owner.Wnd.Get(), Id, Interval, nullptr);
}

void TOneShotTimer::Stop() {
  Armed = false;
  Waiting = false;
  if (Owner.Wnd) KillTimer(Owner.Wnd.Get(), Id);
}

TOneShotTimer& TForm::AddTimer(unsigned intervalMs, std::function<void()> handler) {
  Timers.push_back(std::unique_ptr<TOneShotTimer>(
      new TOneShotTimer(*this, UINT_PTR(Timers.size() + 1), intervalMs)));
  Timers.back()->OnTimer = std::move(handler);
  return *Timers.back();
}

void TForm::TimerTick(UINT_PTR id) {
  if (id == 0 || id > Timers.size()) return;
  TOneShotTimer& t = *Timers[id - 1];
  if (!t.Armed) return;
  // A modal window over the form disabled it: the tick waits for that window to close.
  if (!IsWindowEnabled(Wnd.Get())) {
    t.Waiting = true;
    return;
  }
  t.Armed = false;
  if (t.OnTimer) t.OnTimer();
}

void TForm::ReleaseWaitingTimers() {
  for (auto& t : Timers)
    if (t->Armed && t->Waiting) {
      // Through the loop, not from inside the closing of the window that held it back.
      t->Waiting = false;
      PostMessageW(Wnd.Get(), kWaitedTick, t->Id, 0);
    }
}

void TForm::DropTimers() {
  for (auto& t : Timers) t->Stop();
}

// ---------------------------------------------------------------------------------------------
// Creation

TForm::TForm(const TFormDef& def) : Design(def) {
  if (std::string problem = CheckFormDef(def); !problem.empty())
    throw EInvalidForm(std::string("Form ") + def.Name + ": " + problem);
  EnsureClasses();
  DWORD style = WS_CLIPCHILDREN, ex = WS_EX_CONTROLPARENT;
  switch (def.Border) {
    case bsDialog:
      style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
      ex |= WS_EX_DLGMODALFRAME;
      break;
    case bsSizeable:
      style |= WS_OVERLAPPEDWINDOW;
      break;
    case bsSizeToolWin:
      style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
      ex |= WS_EX_TOOLWINDOW;
      break;
    case bsNone:
      style |= WS_POPUP;
      break;
  }
  RECT r{0, 0, def.ClientWidth, def.ClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, ex);
  Wnd.Reset(CreateWindowExW(ex, kFormClass, Widen(def.Caption).c_str(), style, CW_USEDEFAULT,
                            CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this));
  if (!Wnd) throw Exception(std::string("The window of ") + def.Name + " could not be created.");
  SetWindowLongPtrW(Wnd.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormProc));
  SendMessageW(Wnd.Get(), WM_SETFONT, WPARAM(FontFor(def.FontFace, def.FontHeight, false)), 0);
  CreateControls();
}

TForm::~TForm() = default;

HFONT TForm::FontFor(const char* face, int height, bool bold) {
  std::string key =
      std::string(face ? face : "") + '/' + std::to_string(height) + (bold ? "b" : "");
  for (auto& [k, font] : Fonts)
    if (k == key) return static_cast<HFONT>(font.Get());
  HFONT f = CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, Widen(face ? face : "").c_str());
  Fonts.emplace_back(std::move(key), TGdiObject(f));
  return f;
}

void TForm::CreateControls() {
  Controls.reserve(RowCount(Design));
  for (std::size_t row = 0; row < RowCount(Design); ++row) {
    const TControlDef& d = Row(Design, row);
    HWND parent = Wnd.Get();
    const TControlDef* parentDef = nullptr;
    if (d.Parent) {
      const TControl& p = Need(d.Parent);
      parent = p.Wnd;
      parentDef = p.Def;
    }
    const int id = 100 + int(Controls.size());
    HWND w = CreateControl(d, parent, id);
    if (!w) throw Exception(std::string("The control ") + d.Name + " could not be created.");
    // The font of the nearest ancestor that names one, else the form's.
    const char* face = d.FontFace;
    int height = d.FontHeight;
    for (const TControlDef* a = parentDef; a && (!face || !height);
         a = a->Parent ? FindControlDef(Design, a->Parent) : nullptr) {
      if (!face) face = a->FontFace;
      if (!height) height = a->FontHeight;
    }
    SendMessageW(w, WM_SETFONT,
                 WPARAM(FontFor(face ? face : Design.FontFace, height ? height : Design.FontHeight,
                                (d.Style & csBold) != 0)),
                 0);
    Controls.push_back({&d, w, id, nullptr, {}, {}});
    SetPropW(w, kControlProp, this);
    Controls.back().Original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlProc)));
    if (IsContainerDef(d))
      SetWindowLongPtrW(w, GWL_EXSTYLE, GetWindowLongPtrW(w, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    if (d.Kind == ckCustom && d.Init) d.Init(w, d);
  }
  LayoutChildren(Wnd.Get());
  for (const TControl& c : Controls)
    if (IsContainerDef(*c.Def)) LayoutChildren(c.Wnd);
}

HWND TForm::CreateControl(const TControlDef& d, HWND parent, int id) {
  DWORD style = WS_CHILD, ex = 0;
  if (!(d.Style & csHidden)) style |= WS_VISIBLE;
  if (d.Style & csDisabled) style |= WS_DISABLED;
  if (d.Style & csGroup) style |= WS_GROUP;
  if (d.Style & csBorder) ex |= WS_EX_CLIENTEDGE;
  if (d.Style & csVScroll) style |= WS_VSCROLL;
  const bool tabStop = !(d.Style & csNoTabStop);
  const wchar_t* cls = L"Static";
  std::wstring caption = Widen(d.Caption);
  switch (d.Kind) {
    case ckLabel:
      cls = L"Static";
      style |= SS_NOPREFIX | SS_NOTIFY;
      if (d.Style & csRightJustify)
        style |= SS_RIGHT;
      else if (d.Style & csCenter)
        style |= SS_CENTER;
      else
        style |= (d.Style & csWordWrap) ? SS_LEFT : SS_LEFTNOWORDWRAP;
      break;
    case ckShape:
      cls = L"Static";
      style |= SS_LEFT;
      caption.clear();
      break;
    case ckButton:
      cls = L"Button";
      style |=
          ((d.Style & csDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | (tabStop ? WS_TABSTOP : 0);
      break;
    case ckCheckBox:
    case ckRadioButton:
      cls = L"Button";
      style |= (d.Kind == ckCheckBox ? BS_AUTOCHECKBOX : BS_AUTORADIOBUTTON) |
               (tabStop ? WS_TABSTOP : 0) | ((d.Style & csWordWrap) ? BS_MULTILINE : 0);
      break;
    case ckEdit:
      cls = L"Edit";
      ex |= WS_EX_CLIENTEDGE;
      style |= ES_AUTOHSCROLL | (tabStop ? WS_TABSTOP : 0);
      if (d.Style & csMultiLine) style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      if (d.Style & csReadOnly) style |= ES_READONLY;
      break;
    case ckListBox:
      cls = L"ListBox";
      ex |= WS_EX_CLIENTEDGE;
      style |= LBS_NOTIFY | WS_VSCROLL | (tabStop ? WS_TABSTOP : 0);
      caption.clear();
      break;
    case ckProgressBar:
      cls = PROGRESS_CLASSW;
      caption.clear();
      break;
    case ckRichEdit:
      cls = RichEditClass();
      style |=
          ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | (tabStop ? WS_TABSTOP : 0);
      break;
    case ckPanel:
      cls = kPanelClass;
      style |= WS_CLIPSIBLINGS;
      ex |= WS_EX_CONTROLPARENT | ((d.Style & csLowered) ? WS_EX_STATICEDGE : 0);
      break;
    case ckCustom:
      if (d.Create) return d.Create(parent, d, id);
      cls = d.ClassName;
      if (tabStop && !(d.Style & csContainer)) style |= WS_TABSTOP;
      break;
  }
  HWND w = CreateWindowExW(ex, cls, caption.c_str(), style, d.Left, d.Top, d.Width, d.Height,
                           parent, reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr),
                           const_cast<void*>(d.Param));
  if (!w) return nullptr;
  if (d.Kind == ckProgressBar) SendMessageW(w, PBM_SETRANGE32, 0, 100);
  if (d.Kind == ckListBox)
    for (std::string_view item : SplitItems(d.Caption))
      SendMessageW(w, LB_ADDSTRING, 0, LPARAM(Widen(item).c_str()));
  if ((d.Kind == ckCheckBox || d.Kind == ckRadioButton) && (d.Style & csChecked))
    SendMessageW(w, BM_SETCHECK, BST_CHECKED, 0);
  return w;
}

// ---------------------------------------------------------------------------------------------
// Lookup

TForm* TForm::FromWindow(HWND wnd) {
  for (HWND w = wnd; w; w = GetParent(w)) {
    wchar_t cls[16];
    if (GetClassNameW(w, cls, 16) && lstrcmpW(cls, kFormClass) == 0)
      return reinterpret_cast<TForm*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (auto* f = static_cast<TForm*>(GetPropW(w, kControlProp))) return f;
    if (!(GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD)) break;
  }
  return nullptr;
}

TForm::TControl* TForm::Find(std::string_view name) {
  for (TControl& c : Controls)
    if (name == c.Def->Name) return &c;
  return nullptr;
}
const TForm::TControl* TForm::Find(std::string_view name) const {
  return const_cast<TForm*>(this)->Find(name);
}
TForm::TControl& TForm::Need(std::string_view name) {
  if (TControl* c = Find(name)) return *c;
  throw EInvalidForm(std::string(Design.Name) + " has no control " + std::string(name));
}
const TForm::TControl& TForm::Need(std::string_view name) const {
  return const_cast<TForm*>(this)->Need(name);
}
TForm::TControl* TForm::ById(int id) {
  const size_t i = size_t(id - 100);
  return i < Controls.size() ? &Controls[i] : nullptr;
}
TForm::TControl* TForm::ByWindow(HWND wnd) {
  for (TControl& c : Controls)
    if (c.Wnd == wnd) return &c;
  return nullptr;
}

HWND TForm::Control(std::string_view name) const { return Need(name).Wnd; }

void TForm::OnClick(std::string_view control, std::function<void()> handler) {
  Need(control).Click = std::move(handler);
}
void TForm::OnChange(std::string_view control, std::function<void()> handler) {
  Need(control).Change = std::move(handler);
}

// ---------------------------------------------------------------------------------------------
// Properties

std::string TForm::Text(std::string_view name) const { return Narrow(WindowTextW(Control(name))); }

void TForm::SetText(std::string_view name, std::string_view utf8) {
  const TControl& c = Need(name);
  if (c.Def->Kind == ckListBox) {
    std::vector<std::string> items;
    for (std::string_view s : SplitItems(utf8)) items.emplace_back(s);
    SetItems(name, items);
    return;
  }
  SetWindowTextW(c.Wnd, Widen(utf8).c_str());
}

void TForm::SetCaption(std::string_view utf8) { SetWindowTextW(Wnd.Get(), Widen(utf8).c_str()); }

bool TForm::Enabled(std::string_view name) const { return IsWindowEnabled(Control(name)); }
void TForm::SetEnabled(std::string_view name, bool value) {
  HWND w = Control(name);
  if (bool(IsWindowEnabled(w)) != value) EnableWindow(w, value);
}
bool TForm::Visible(std::string_view name) const {
  return (GetWindowLongPtrW(Control(name), GWL_STYLE) & WS_VISIBLE) != 0;
}
void TForm::SetVisible(std::string_view name, bool value) {
  if (Visible(name) == value) return;
  HWND w = Control(name);
  ShowWindow(w, value ? SW_SHOWNA : SW_HIDE);
  if (HWND parent = GetParent(w)) LayoutChildren(parent);
}
bool TForm::Checked(std::string_view name) const {
  return SendMessageW(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void TForm::SetChecked(std::string_view name, bool value) {
  SendMessageW(Control(name), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}
void TForm::SetBounds(std::string_view name, int left, int top, int width, int height) {
  MoveWindow(Control(name), left, top, width, height, TRUE);
}
void TForm::SetTop(std::string_view name, int top) {
  HWND w = Control(name);
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
  SetWindowPos(w, nullptr, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void TForm::SetFocus(std::string_view name) {
  HWND w = Control(name);
  LastFocus = w;
  if (IsWindowVisible(Wnd.Get())) ::SetFocus(w);
}
void TForm::Click(std::string_view name) { ClickWindow(Control(name)); }

void TForm::SetItems(std::string_view name, const std::vector<std::string>& items) {
  HWND w = Control(name);
  SendMessageW(w, LB_RESETCONTENT, 0, 0);
  for (const std::string& s : items) SendMessageW(w, LB_ADDSTRING, 0, LPARAM(Widen(s).c_str()));
}
void TForm::AddItem(std::string_view name, std::string_view item) {
  SendMessageW(Control(name), LB_ADDSTRING, 0, LPARAM(Widen(item).c_str()));
}
int TForm::ItemIndex(std::string_view name) const {
  return int(SendMessageW(Control(name), LB_GETCURSEL, 0, 0));
}
void TForm::SetItemIndex(std::string_view name, int index) {
  SendMessageW(Control(name), LB_SETCURSEL, WPARAM(index), 0);
}
int TForm::ItemCount(std::string_view name) const {
  return int(SendMessageW(Control(name), LB_GETCOUNT, 0, 0));
}
std::string TForm::Item(std::string_view name, int index) const {
  HWND w = Control(name);
  const LRESULT n = SendMessageW(w, LB_GETTEXTLEN, WPARAM(index), 0);
  if (n == LB_ERR) return {};
  std::wstring s(size_t(n) + 1, L'\0');
  s.resize(size_t(SendMessageW(w, LB_GETTEXT, WPARAM(index), LPARAM(s.data()))));
  return Narrow(s);
}
void TForm::SetPosition(std::string_view name, int percent) {
  HWND w = Control(name);
  if (SendMessageW(w, PBM_GETPOS, 0, 0) != percent) SendMessageW(w, PBM_SETPOS, WPARAM(percent), 0);
}
int TForm::Position(std::string_view name) const {
  return int(SendMessageW(Control(name), PBM_GETPOS, 0, 0));
}
void TForm::LoadRichText(std::string_view name, std::string_view bytes, int maxLength) {
  HWND w = Control(name);
  if (maxLength > 0) SendMessageW(w, EM_EXLIMITTEXT, 0, LPARAM(maxLength));
  const bool rtf = bytes.substr(0, 5) == "{\\rtf";
  std::u16string plain;
  TStreamSource source{bytes};
  if (!rtf) {
    // Plain text files are code page 1252, whatever the system's code page is.
    plain = Utf8ToUtf16(Cp1252ToUtf8(bytes));
    source.Bytes = std::string_view(reinterpret_cast<const char*>(plain.data()), plain.size() * 2);
  }
  EDITSTREAM es{};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  es.pfnCallback = &StreamIn;
  SendMessageW(w, EM_STREAMIN, rtf ? SF_RTF : (SF_TEXT | SF_UNICODE), LPARAM(&es));
}

void TForm::SetWindowSize(int width, int height) {
  SetWindowPos(Wnd.Get(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void TForm::SetClientSize(int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrW(Wnd.Get(), GWL_STYLE)), FALSE,
                     DWORD(GetWindowLongPtrW(Wnd.Get(), GWL_EXSTYLE)));
  SetWindowSize(r.right - r.left, r.bottom - r.top);
}
void TForm::CenterOnScreen() {
  RECT r;
  GetWindowRect(Wnd.Get(), &r);
  const TBox b = CenteredBox({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                             r.right - r.left, r.bottom - r.top);
  SetWindowPos(Wnd.Get(), nullptr, b.Left, b.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetLanguageTexts(int language) {
  for (const TTextDef& t : Design.English) {
    const char* text = CaptionFor(Design, t.Name, language);
    if (std::string_view(t.Name) == Design.Name)
      SetCaption(text);
    else
      SetText(t.Name, text);
  }
}

// ---------------------------------------------------------------------------------------------
// Layout

void TForm::LayoutChildren(HWND parent) {
  std::vector<TControl*> children;
  std::vector<TLayoutItem> items;
  bool any = false;
  for (TControl& c : Controls) {
    if (GetParent(c.Wnd) != parent) continue;
    const TControlDef& d = *c.Def;
    TLayoutItem item{{d.Left, d.Top, d.Width, d.Height},
                     d.Align,
                     (d.Style & csAnchorRight) != 0,
                     (d.Style & csAnchorBottom) != 0,
                     (GetWindowLongPtrW(c.Wnd, GWL_STYLE) & WS_VISIBLE) != 0};
    if (d.Align != alNone) {
      // Code may have resized an aligned control (the backdrop's lower gradient): keep that.
      RECT r;
      GetWindowRect(c.Wnd, &r);
      item.Design.Width = r.right - r.left;
      item.Design.Height = r.bottom - r.top;
    }
    any = any || d.Align != alNone || item.AnchorRight || item.AnchorBottom;
    children.push_back(&c);
    items.push_back(item);
  }
  if (!any) return;
  int designW = Design.ClientWidth, designH = Design.ClientHeight;
  if (parent != Wnd.Get())
    if (const TControl* p = ByWindow(parent)) {
      designW = p->Def->Width;
      designH = p->Def->Height;
    }
  RECT client;
  GetClientRect(parent, &client);
  const std::vector<TBox> boxes =
      ArrangeChildren(items, client.right, client.bottom, designW, designH);
  for (size_t i = 0; i < boxes.size(); ++i) {
    if (items[i].Align == alNone && !items[i].AnchorRight && !items[i].AnchorBottom) continue;
    const TBox& b = boxes[i];
    SetWindowPos(children[i]->Wnd, nullptr, b.Left, b.Top, b.Width, b.Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// ---------------------------------------------------------------------------------------------
// Showing and closing

namespace {
struct TDisabled {
  std::vector<HWND> Windows;
  HWND Except;
};
BOOL CALLBACK DisableOne(HWND w, LPARAM lp) {
  auto* d = reinterpret_cast<TDisabled*>(lp);
  if (w != d->Except && IsWindowVisible(w) && IsWindowEnabled(w)) {
    d->Windows.push_back(w);
    EnableWindow(w, FALSE);
  }
  return TRUE;
}
}  // namespace

void TForm::Show() {
  if (OnShow) try {
      OnShow();
    } catch (...) {
      // The form still opens: the error is reported and the user can close it.
      HandleCurrentException();
    }
  if (Design.Centered && !Design.Maximized) CenterOnScreen();
  ShowWindow(Wnd.Get(), Design.Maximized ? SW_SHOWMAXIMIZED : SW_SHOW);
  SetForegroundWindow(Wnd.Get());
  SetActiveWindow(Wnd.Get());
  UpdateWindow(Wnd.Get());
}

void TForm::Hide() {
  DropTimers();
  ShowWindow(Wnd.Get(), SW_HIDE);
}

bool TForm::RunCloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(canClose);
  if (!canClose) return false;
  TCloseAction action = caHide;
  if (OnClose) OnClose(action);
  return action != caNone;
}

void TForm::Close() {
  if (InModalLoop) {
    ModalResult = mrCancel;
    return;
  }
  if (!RunCloseQuery()) return;
  Hide();
  if (IsMainForm) PostQuitMessage(0);
}

int TForm::ShowModal() {
  if (InModalLoop || IsWindowVisible(Wnd.Get()))
    throw Exception(std::string("Form ") + Design.Name + " is shown already.");
  const HWND previous = GetActiveWindow();
  if (previous && previous != Wnd.Get())
    SetWindowLongPtrW(Wnd.Get(), GWLP_HWNDPARENT, LONG_PTR(previous));
  TDisabled disabled{{}, Wnd.Get()};
  EnumThreadWindows(GetCurrentThreadId(), &DisableOne, LPARAM(&disabled));
  InModalLoop = true;
  ModalResult = mrNone;
  Show();
  for (;;) {
    if (ModalResult != mrNone) {
      bool closes = false;
      try {
        closes = RunCloseQuery();
      } catch (...) {
        HandleCurrentException();
      }
      if (closes) break;
      ModalResult = mrNone;
    }
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program is ending: leave, and let the outer loops see the quit too.
      PostQuitMessage(int(msg.wParam));
      ModalResult = mrCancel;
      break;
    }
    if (got < 0) {
      ModalResult = mrCancel;
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  InModalLoop = false;
  for (auto it = disabled.Windows.rbegin(); it != disabled.Windows.rend(); ++it)
    if (IsWindow(*it)) EnableWindow(*it, TRUE);
  if (previous && IsWindow(previous) && previous != Wnd.Get()) SetActiveWindow(previous);
  Hide();
  return ModalResult;
}

int RunApplication(TForm& mainForm) {
  mainForm.SetMainForm();
  mainForm.Show();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return int(msg.wParam);
}

// ---------------------------------------------------------------------------------------------
// Keys

namespace {

// Tab into a group of radio buttons lands on its checked one, as in dialogs: an automatic
// radio button takes the check with the focus, so landing on another would change the choice.
HWND CheckedInGroup(HWND wnd) {
  if (!(SendMessageW(wnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) return wnd;
  HWND parent = GetParent(wnd);
  for (HWND w = wnd;;) {
    if ((SendMessageW(w, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) &&
        SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED)
      return w;
    w = GetNextDlgGroupItem(parent, w, FALSE);
    if (!w || w == wnd) return wnd;
  }
}

}  // namespace

HWND TForm::DialogButton(std::uint32_t flag) const {
  for (const TControl& c : Controls)
    if ((c.Def->Style & flag) && IsWindowVisible(c.Wnd) && IsWindowEnabled(c.Wnd)) return c.Wnd;
  return nullptr;
}

void TForm::ClickWindow(HWND wnd) {
  if (!wnd || !IsWindowEnabled(wnd) || !IsWindowVisible(wnd)) return;
  TControl* c = ByWindow(wnd);
  if (!c) return;
  if (c->Def->Kind == ckCheckBox || c->Def->Kind == ckRadioButton) {
    SendMessageW(wnd, BM_CLICK, 0, 0);  // toggles, then notifies like a mouse click
    return;
  }
  if (c->Click) c->Click();
}

bool TForm::ClickFocusedPushButton() {
  // Keys reach a form only while the focus is inside it; no focus answers 0.
  HWND focus = GetFocus();
  if (!(SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
    return false;
  ClickWindow(focus);
  return true;
}

bool TForm::HandleKeyDown(HWND target, WPARAM& key) {
  SuppressChar = false;
  if (Design.KeyPreview && OnKeyDown) {
    WORD k = WORD(key);
    OnKeyDown(k, CurrentShift());
    if (k == 0) {
      SuppressChar = true;
      return true;
    }
    key = k;
  }
  if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE && key != VK_LEFT && key != VK_UP &&
      key != VK_RIGHT && key != VK_DOWN)
    return false;
  TKeyContext context;
  if (target != Wnd.Get()) {
    MSG m{target, WM_KEYDOWN, key, 0, 0, {0, 0}};
    const LRESULT code = SendMessageW(target, WM_GETDLGCODE, key, LPARAM(&m));
    context.ControlWantsKey =
        (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) || (key == VK_TAB && (code & DLGC_WANTTAB));
    const TControl* c = ByWindow(target);
    context.FocusedIsRadioButton = (code & DLGC_RADIOBUTTON) != 0;
    context.FocusedIsPushButton =
        (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) || (c && c->Def->Kind == ckButton);
  }
  context.HasDefault = DialogButton(csDefault) != nullptr;
  context.HasCancel = DialogButton(csCancel) != nullptr;
  context.Shift = GetKeyState(VK_SHIFT) < 0;
  const TKeyAction action = DialogKeyAction(unsigned(key), context);
  switch (action) {
    case kaPass:
      return false;
    case kaClickFocused:
      ClickWindow(target);
      break;
    case kaClickDefault:
      ClickWindow(DialogButton(csDefault));
      break;
    case kaClickCancel:
      ClickWindow(DialogButton(csCancel));
      break;
    case kaNextInGroup:
    case kaPrevInGroup:
      // As in a dialog: the focus moves within the group and takes the check with it.
      if (HWND next = GetNextDlgGroupItem(GetParent(target), target, action == kaPrevInGroup);
          next && next != target) {
        ::SetFocus(next);
        if (const TControl* n = ByWindow(next); n && n->Def->Kind == ckRadioButton)
          SendMessageW(next, BM_CLICK, 0, 0);
      }
      break;
    case kaNextControl:
    case kaPrevControl:
      if (HWND next = GetNextDlgTabItem(Wnd.Get(), target == Wnd.Get() ? nullptr : target,
                                        action == kaPrevControl))
        ::SetFocus(CheckedInGroup(next));
      break;
  }
  SuppressChar = true;
  return true;
}

bool TForm::HandleChar(HWND target, WPARAM& ch, bool alt) {
  if (SuppressChar) {
    SuppressChar = false;
    return true;
  }
  if (!alt && Design.KeyPreview && OnKeyPress) {
    wchar_t k = wchar_t(ch);
    OnKeyPress(k);
    if (k == 0) return true;
    ch = k;
  }
  const LRESULT code = target == Wnd.Get() ? 0 : SendMessageW(target, WM_GETDLGCODE, 0, 0);
  if (alt || !(code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS))) {
    // Access keys: with Alt always, alone when the focused control takes no characters.
    std::vector<std::string> texts;
    std::vector<HWND> windows;
    for (const TControl& c : Controls) {
      const TControlKind k = c.Def->Kind;
      if ((k == ckButton || k == ckCheckBox || k == ckRadioButton || k == ckCustom) &&
          IsWindowVisible(c.Wnd) && IsWindowEnabled(c.Wnd)) {
        texts.push_back(Narrow(WindowTextW(c.Wnd)));
        windows.push_back(c.Wnd);
      }
    }
    std::vector<std::string_view> views(texts.begin(), texts.end());
    if (int i = FindMnemonic(views, char32_t(ch)); i >= 0) {
      ClickWindow(windows[size_t(i)]);
      return true;
    }
    if (alt) return false;
  }
  // A single-line edit would beep at the characters of Enter, Escape and Tab.
  if ((ch == '\r' || ch == 27 || ch == '\t') && !(code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)))
    return true;
  return false;
}

// ---------------------------------------------------------------------------------------------
// Window procedures

namespace {

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
  TGdiObject brush(CreateSolidBrush(color));
  FillRect(dc, &r, static_cast<HBRUSH>(brush.Get()));
}

}  // namespace

void TForm::PaintBackground(HDC dc, const RECT& r) { FillSolid(dc, r, ColorRefOf(Design.Color)); }

LRESULT TForm::ColorStatic(HWND control, HDC dc) {
  TControl* c = ByWindow(control);
  if (!c) return DefWindowProcW(Wnd.Get(), WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(control));
  const TControlDef& d = *c->Def;
  if (d.Kind == ckShape) {
    const COLORREF color = ColorRefOf(d.Color == clNoColor ? clWindowText : d.Color);
    SetBkColor(dc, color);
    SetDCBrushColor(dc, color);
    return LRESULT(GetStockObject(DC_BRUSH));
  }
  SetTextColor(dc, ColorRefOf(d.Color == clNoColor ? clWindowText : d.Color));
  if (!IsTransparentKind(d)) {
    SetBkColor(dc, ColorRefOf(Design.Color));
    SetDCBrushColor(dc, ColorRefOf(Design.Color));
    return LRESULT(GetStockObject(DC_BRUSH));
  }
  // Transparent: the parent paints what lies under the control, then the control its text.
  SetBkMode(dc, TRANSPARENT);
  HWND parent = GetParent(control);
  RECT r;
  GetClientRect(control, &r);
  if (parent == Wnd.Get()) {
    PaintBackground(dc, r);
  } else {
    POINT origin{0, 0};
    MapWindowPoints(control, parent, &origin, 1);
    POINT old;
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    SendMessageW(parent, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT | PRF_ERASEBKGND);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
  }
  return LRESULT(GetStockObject(NULL_BRUSH));
}

LRESULT CALLBACK TForm::FormProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TForm*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(wnd, msg, wp, lp);
  try {
    return self->HandleFormMessage(msg, wp, lp);
  } catch (...) {
    HandleCurrentException();
    return 0;
  }
}

LRESULT TForm::HandleFormMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (LRESULT result = 0; OnMessage && msg != WM_NCDESTROY && OnMessage(msg, wp, lp, result))
    return result;
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_COMMAND:
      if (TControl* c = ByWindow(reinterpret_cast<HWND>(lp))) {
        const UINT code = HIWORD(wp);
        const TControlKind k = c->Def->Kind;
        if (k == ckEdit || k == ckRichEdit) {
          if (code == EN_CHANGE && c->Change) c->Change();
        } else if (k == ckListBox) {
          if (code == LBN_SELCHANGE && c->Change) c->Change();
        } else if (code == BN_CLICKED && c->Click) {
          c->Click();
        }
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return ColorStatic(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp));
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT: {
      RECT r;
      GetClientRect(Wnd.Get(), &r);
      PaintBackground(reinterpret_cast<HDC>(wp), r);
      return 1;
    }
    case WM_TIMER:
      KillTimer(Wnd.Get(), wp);
      TimerTick(wp);
      return 0;
    case kWaitedTick:
      TimerTick(wp);
      return 0;
    case WM_ENABLE:
      if (wp) ReleaseWaitingTimers();
      return 0;
    case WM_SIZE:
      LayoutChildren(Wnd.Get());
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(Wnd.Get(), focus)) LastFocus = focus;
      } else {
        HWND focus = (LastFocus && IsWindow(LastFocus) && IsWindowVisible(LastFocus) &&
                      IsWindowEnabled(LastFocus))
                         ? LastFocus
                         : GetNextDlgTabItem(Wnd.Get(), nullptr, FALSE);
        ::SetFocus(focus ? focus : Wnd.Get());
      }
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (HandleKeyDown(Wnd.Get(), wp)) return 0;
      break;
    case WM_CHAR:
    case WM_SYSCHAR:
      if (HandleChar(Wnd.Get(), wp, msg == WM_SYSCHAR)) return 0;
      break;
    case WM_NCDESTROY:
      // Destroyed from outside: the window is gone, there is nothing left to own.
      SetWindowLongPtrW(Wnd.Release(), GWLP_USERDATA, 0);
      return DefWindowProcW(nullptr, msg, wp, lp);
  }
  return DefWindowProcW(Wnd.Get(), msg, wp, lp);
}

LRESULT CALLBACK TForm::ControlProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* form = static_cast<TForm*>(GetPropW(wnd, kControlProp));
  TControl* c = form ? form->ByWindow(wnd) : nullptr;
  if (!c) return DefWindowProcW(wnd, msg, wp, lp);
  try {
    return form->HandleControlMessage(*c, msg, wp, lp);
  } catch (...) {
    HandleCurrentException();
    return 0;
  }
}

LRESULT TForm::HandleControlMessage(TControl& c, UINT msg, WPARAM wp, LPARAM lp) {
  const WNDPROC original = c.Original ? c.Original : &DefWindowProcW;
  const HWND wnd = c.Wnd;
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (HandleKeyDown(wnd, wp)) return 0;
      break;
    case WM_CHAR:
    case WM_SYSCHAR:
      if (HandleChar(wnd, wp, msg == WM_SYSCHAR)) return 0;
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      // Containers hand their children's notifications to the form, as the form's own.
      if (IsContainerDef(*c.Def)) return SendMessageW(Wnd.Get(), msg, wp, lp);
      break;
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
      if (c.Def->Kind == ckPanel) {
        RECT r;
        GetClientRect(wnd, &r);
        FillSolid(reinterpret_cast<HDC>(wp), r,
                  ColorRefOf(c.Def->Color == clNoColor ? Design.Color : c.Def->Color));
        return 1;
      }
      break;
    case WM_SIZE:
      if (IsContainerDef(*c.Def)) {
        const LRESULT r = CallWindowProcW(original, wnd, msg, wp, lp);
        LayoutChildren(wnd);
        return r;
      }
      break;
    case WM_NCDESTROY: {
      RemovePropW(wnd, kControlProp);
      SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      c.Wnd = nullptr;
      return CallWindowProcW(original, wnd, msg, wp, lp);
    }
  }
  return CallWindowProcW(original, wnd, msg, wp, lp);
}
