// Placing the controls from a page's designed-form table. CreateFromDef<TGButton> fits any table
// row with Left, Top, Width, Height, Caption (UTF-8) and Param (a pointer to the control's
// props, or none for the defaults), so a row's create hook can name it directly. A non-empty
// Caption of the row wins over the props' own.
#pragma once

#include <windows.h>

#include <type_traits>

#include "class_TGButton.h"
#include "class_TxPanel.h"
#include "uGradient.h"

template <class TControl>
struct TPropsOf;
template <>
struct TPropsOf<TGradient> {
  using Type = TGradientProps;
};
template <>
struct TPropsOf<TXPanel> {
  using Type = TXPanelProps;
};
template <>
struct TPropsOf<TTGButton> {
  using Type = TTGButtonProps;
};

template <class TControl, class TDef>
HWND CreateFromDef(HWND parent, const TDef& def, int id) {
  using TProps = typename TPropsOf<TControl>::Type;
  TProps props = def.Param ? *static_cast<const TProps*>(def.Param) : TProps{};
  if constexpr (requires { props.Caption; }) {
    if (def.Caption && *def.Caption) props.Caption = def.Caption;
  }
  TControl* control = TControl::Create(parent, def.Left, def.Top, def.Width, def.Height, props, id);
  return control ? control->Handle() : nullptr;
}
