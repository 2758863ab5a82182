#include "uFormLogic.h"

#include <algorithm>
#include <cstring>

namespace {

bool Same(const char* a, std::string_view b) { return a && std::string_view(a) == b; }

bool IsContainer(const TControlDef& c) {
  return c.Kind == ckPanel || (c.Kind == ckCustom && (c.Style & csContainer));
}

std::string Named(const TControlDef& c) { return std::string("control \"") + c.Name + "\""; }

}  // namespace

std::string CheckFormDef(const TFormDef& form) {
  if (form.ClientWidth < 0 || form.ClientHeight < 0) return "negative client size of the form";
  int defaults = 0, cancels = 0;
  for (std::size_t i = 0; i < RowCount(form); ++i) {
    const TControlDef& c = Row(form, i);
    if (!c.Name || !*c.Name) return "control " + std::to_string(i) + " has no name";
    for (std::size_t j = 0; j < i; ++j)
      if (Same(Row(form, j).Name, c.Name)) return Named(c) + " is named twice";
    if (Same(form.Name, c.Name)) return Named(c) + " has the form's own name";
    if (c.Width < 0 || c.Height < 0) return Named(c) + " has a negative size";
    if (c.Parent) {
      const TControlDef* parent = nullptr;
      for (std::size_t j = 0; j < i; ++j)
        if (Same(Row(form, j).Name, c.Parent)) parent = &Row(form, j);
      if (!parent) return Named(c) + " names a parent that is not earlier in the table";
      if (!IsContainer(*parent)) return Named(c) + " names a parent that holds no controls";
    }
    if (c.Kind == ckCustom && !c.Create && !(c.ClassName && *c.ClassName))
      return Named(c) + " is custom without a class or a creator";
    if (c.Style & csDefault) ++defaults;
    if (c.Style & csCancel) ++cancels;
  }
  if (defaults > 1) return "more than one default button";
  if (cancels > 1) return "more than one cancel button";
  for (const TTextDef& t : form.English) {
    if (!t.Name || !t.English) return "an English text without name or text";
    if (!FindControlDef(form, t.Name) && !Same(form.Name, t.Name))
      return std::string("English text for no control: \"") + t.Name + "\"";
  }
  return {};
}

const TControlDef* FindControlDef(const TFormDef& form, std::string_view name) {
  for (std::size_t i = 0; i < RowCount(form); ++i)
    if (Same(Row(form, i).Name, name)) return &Row(form, i);
  return nullptr;
}

bool HasEnglishText(const TFormDef& form, std::string_view name) {
  for (const TTextDef& t : form.English)
    if (Same(t.Name, name)) return true;
  return false;
}

const char* CaptionFor(const TFormDef& form, std::string_view name, int language) {
  if (language == 1)
    for (const TTextDef& t : form.English)
      if (Same(t.Name, name)) return t.English;
  if (Same(form.Name, name)) return form.Caption;
  const TControlDef* c = FindControlDef(form, name);
  return c ? c->Caption : nullptr;
}

std::vector<std::string_view> SplitItems(std::string_view caption) {
  std::vector<std::string_view> items;
  while (!caption.empty()) {
    const std::size_t end = caption.find('\n');
    items.push_back(caption.substr(0, end));
    if (end == std::string_view::npos) break;
    caption.remove_prefix(end + 1);
  }
  return items;
}

std::vector<TBox> ArrangeChildren(std::span<const TLayoutItem> items, int clientW, int clientH,
                                  int designW, int designH) {
  std::vector<TBox> boxes;
  boxes.reserve(items.size());
  for (const TLayoutItem& item : items) {
    TBox b = item.Design;
    if (item.Align == alNone) {
      if (item.AnchorRight) b.Left += clientW - designW;
      if (item.AnchorBottom) b.Top += clientH - designH;
    }
    boxes.push_back(b);
  }
  // What is left of the client area for the next aligned control.
  int left = 0, top = 0, right = clientW, bottom = clientH;
  for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (std::size_t i = 0; i < items.size(); ++i) {
      const TLayoutItem& item = items[i];
      if (item.Align != pass || !item.Visible) continue;
      TBox& b = boxes[i];
      const int w = std::max(0, right - left), h = std::max(0, bottom - top);
      switch (pass) {
        case alTop:
          b = {left, top, w, std::min(item.Design.Height, h)};
          top += b.Height;
          break;
        case alBottom:
          b = {left, bottom - std::min(item.Design.Height, h), w, std::min(item.Design.Height, h)};
          bottom -= b.Height;
          break;
        case alLeft:
          b = {left, top, std::min(item.Design.Width, w), h};
          left += b.Width;
          break;
        case alRight:
          b = {right - std::min(item.Design.Width, w), top, std::min(item.Design.Width, w), h};
          right -= b.Width;
          break;
        default:
          b = {left, top, w, h};
          break;
      }
    }
  }
  return boxes;
}

TBox CenteredBox(const TBox& area, int w, int h) {
  return {area.Left + std::max(0, (area.Width - w) / 2),
          area.Top + std::max(0, (area.Height - h) / 2), w, h};
}

TKeyAction DialogKeyAction(unsigned virtualKey, const TKeyContext& context) {
  if (context.ControlWantsKey) return kaPass;
  switch (virtualKey) {
    case kVkReturn:
      if (context.FocusedIsPushButton) return kaClickFocused;
      return context.HasDefault ? kaClickDefault : kaPass;
    case kVkEscape:
      return context.HasCancel ? kaClickCancel : kaPass;
    case kVkTab:
      return context.Shift ? kaPrevControl : kaNextControl;
    case kVkLeft:
    case kVkUp:
      return context.FocusedIsRadioButton ? kaPrevInGroup : kaPass;
    case kVkRight:
    case kVkDown:
      return context.FocusedIsRadioButton ? kaNextInGroup : kaPass;
    default:
      return kaPass;
  }
}

namespace {
char32_t FoldAZ(char32_t c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }
}  // namespace

int FindMnemonic(std::span<const std::string_view> captions, char32_t ch) {
  const bool plain = (ch >= '0' && ch <= '9') || (FoldAZ(ch) >= 'A' && FoldAZ(ch) <= 'Z');
  if (!plain) return -1;
  for (std::size_t i = 0; i < captions.size(); ++i) {
    const std::string_view s = captions[i];
    for (std::size_t k = 0; k + 1 < s.size(); ++k) {
      if (s[k] != '&') continue;
      if (s[k + 1] == '&') {
        ++k;
        continue;
      }
      if (FoldAZ(static_cast<unsigned char>(s[k + 1])) == FoldAZ(ch)) return int(i);
      break;
    }
  }
  return -1;
}
