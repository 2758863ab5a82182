// Forms as designed data: a page module holds a table of its controls (kind, name, position,
// size, German caption, style) and a table of its English texts; code wires the handlers and
// nothing else. Plain data, so the tables can be checked natively.
#pragma once

#include <cstdint>
#include <span>

#include "uColor.h"

// The window handle type of Windows (HWND), named without <windows.h>.
struct HWND__;
using TWindow = HWND__*;

enum TControlKind : std::uint8_t {
  ckLabel,        // Static, transparent over its parent unless csOpaque
  ckButton,       // push button
  ckEdit,         // single-line edit unless csMultiLine
  ckListBox,      // caption: the items, one per line ('\n')
  ckCheckBox,     // transparent over its parent unless csOpaque
  ckRadioButton,  // csGroup starts a group of its own; transparent unless csOpaque
  ckProgressBar,  // msctls_progress32, 0 to 100
  ckRichEdit,     // read-only rich text viewer; the library comes from the system folder
  ckPanel,        // a plain container in the form's colour (csLowered: a sunken edge)
  ckShape,        // a rectangle filled with Color, e.g. a 2-pixel rule
  ckCustom,       // a window of another registered class: ClassName or Create, then Init
};

enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Style flags of a control.
enum : std::uint32_t {
  csHidden = 1u << 0,
  csDisabled = 1u << 1,
  csBold = 1u << 2,
  csWordWrap = 1u << 3,  // labels: wrap at the width (without it a label is one line)
  csRightJustify = 1u << 4,
  csCenter = 1u << 5,
  csDefault = 1u << 6,  // the button Enter clicks when the focused control does not want it
  csCancel = 1u << 7,   // the button Escape clicks
  csChecked = 1u << 8,
  csNoTabStop = 1u << 9,
  csReadOnly = 1u << 10,
  csBorder = 1u << 11,
  csOpaque = 1u << 12,
  csAnchorRight = 1u << 13,   // keeps its distance to the parent's right edge
  csAnchorBottom = 1u << 14,  // keeps its distance to the parent's bottom edge
  csVScroll = 1u << 15,
  csGroup = 1u << 16,
  csLowered = 1u << 17,
  csMultiLine = 1u << 18,
  csContainer = 1u << 19,  // a custom control that holds other controls of the table
};

struct TControlDef;
// Creates a custom control as a child of parent with the given id, at the def's place; returns
// its window (none: the form reports the failure).
using TCustomCreate = TWindow (*)(TWindow parent, const TControlDef& def, int id);
// Runs once the custom control exists, before the form is shown.
using TCustomInit = void (*)(TWindow control, const TControlDef& def);

struct TControlDef {
  TControlKind Kind = ckLabel;
  const char* Name = "";
  int Left = 0, Top = 0, Width = 0, Height = 0;  // client pixels of the parent
  const char* Caption = "";                      // German, UTF-8
  std::uint32_t Style = 0;
  const char* Parent = nullptr;  // a container earlier in the table; none: the form
  TAlign Align = alNone;
  const char* FontFace = nullptr;      // none: the parent's font
  int FontHeight = 0;                  // character height in pixels; 0: the parent's
  TColor Color = clNoColor;            // shapes, panels; text colour of labels
  const wchar_t* ClassName = nullptr;  // ckCustom without Create
  TCustomCreate Create = nullptr;
  TCustomInit Init = nullptr;
  const void* Param = nullptr;  // passed to the window as its creation parameter
};

// An English text for a control of the table (or, under the form's own name, its caption).
struct TTextDef {
  const char* Name;
  const char* English;
};

enum TBorderStyle : std::uint8_t {
  bsDialog,       // fixed size, caption and close box
  bsSizeable,     // a normal resizable window
  bsSizeToolWin,  // a resizable tool window
  bsNone,         // no border at all (the backdrop)
};

struct TFormDef {
  const char* Name = "";
  const char* Caption = "";
  int ClientWidth = 0, ClientHeight = 0;
  TBorderStyle Border = bsDialog;
  bool KeyPreview = false;
  bool Centered = true;
  bool Maximized = false;
  TColor Color = clBtnFace;
  const char* FontFace = "Tahoma";
  int FontHeight = 11;
  // Frame, then Controls, make the form's one table: the frame holds the rows that the forms of
  // one look share (the pages' bands and body), once for all of them.
  std::span<const TControlDef> Frame = {};
  std::span<const TControlDef> Controls;
  std::span<const TTextDef> English;
};

// The rows of the form's table, frame first.
inline std::size_t RowCount(const TFormDef& form) {
  return form.Frame.size() + form.Controls.size();
}
inline const TControlDef& Row(const TFormDef& form, std::size_t i) {
  return i < form.Frame.size() ? form.Frame[i] : form.Controls[i - form.Frame.size()];
}
