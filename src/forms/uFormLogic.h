// The framework's decisions as plain code: checking a designed form, choosing a control's text
// for a language, laying out aligned and anchored controls, and what a key does when the form
// and the focused control have not taken it. The window layer only carries them out.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "uFormDefs.h"

// Empty when the table is sound; otherwise what is wrong with it, naming the control: empty or
// repeated names, a parent that is not a container earlier in the table, a custom control with
// neither class nor creator, a negative size, two default or two cancel buttons, an English
// text for no control.
std::string CheckFormDef(const TFormDef& form);

// Nothing when the form has no control of that name.
const TControlDef* FindControlDef(const TFormDef& form, std::string_view name);

// English (language 1) where the text table has an entry, else the German caption of the
// table; the form's own name stands for its caption. Nothing for an unknown name.
const char* CaptionFor(const TFormDef& form, std::string_view name, int language);
bool HasEnglishText(const TFormDef& form, std::string_view name);

// A list box's items from its caption: one per line; no line, no item.
std::vector<std::string_view> SplitItems(std::string_view caption);

struct TBox {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  friend bool operator==(const TBox&, const TBox&) = default;
};

struct TLayoutItem {
  TBox Design;  // the place in the table, for a parent of the designed size
  TAlign Align = alNone;
  bool AnchorRight = false, AnchorBottom = false;
  bool Visible = true;  // hidden aligned controls take no room
};

// Places the children of one parent of the given client size, designed for designW x designH:
// aligned controls take their band from what is left, top first, then bottom, left, right and
// client, each group in table order; anchored controls keep their distance to the right or
// bottom edge; the others stay where they were designed.
std::vector<TBox> ArrangeChildren(std::span<const TLayoutItem> items, int clientW, int clientH,
                                  int designW, int designH);

// A box of w x h centred in area (the screen); never left of or above the area.
TBox CenteredBox(const TBox& area, int w, int h);

// What a key the preview did not take does on a form.
enum TKeyAction {
  kaPass,          // to the focused control
  kaClickFocused,  // Enter on a focused push button
  kaClickDefault,
  kaClickCancel,
  kaNextControl,
  kaPrevControl,
  kaNextInGroup,  // arrow keys on a radio button: the next choice of its group
  kaPrevInGroup,
};

struct TKeyContext {
  bool ControlWantsKey = false;  // the focused control asked for this key (multi-line edit, ...)
  bool FocusedIsPushButton = false;
  bool FocusedIsRadioButton = false;
  bool HasDefault = false;  // an enabled, visible default button
  bool HasCancel = false;   // an enabled, visible cancel button
  bool Shift = false;
};

enum : unsigned {
  kVkTab = 0x09,
  kVkReturn = 0x0D,
  kVkEscape = 0x1B,
  kVkLeft = 0x25,
  kVkUp = 0x26,
  kVkRight = 0x27,
  kVkDown = 0x28,
};

TKeyAction DialogKeyAction(unsigned virtualKey, const TKeyContext& context);

// Index of the first caption whose access key ("&x", not "&&") is ch, letters A to Z and digits
// compared without case; -1 when none.
int FindMnemonic(std::span<const std::string_view> captions, char32_t ch);
