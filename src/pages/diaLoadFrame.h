// The frame the progress and outcome pages share: a textured header band with the bold title
// and an amber rule, a body filled by a top-to-bottom gradient that holds the page's own
// controls (transparent labels over it), and a textured button band with its rule and the
// one button BtnCancel. 472 pixels of client width.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "diaPageFrame.h"
#include "uFormDefs.h"

struct TPageFrame {
  const char* Title = "";  // LabelTitel, German
  int HeaderHeight = 41;
  int TitleLeft = 16, TitleTop = 16;
  const char* CancelCaption = "";
  int CancelLeft = 360;
  int ClientHeight = 286;
  const char* BodyFont = nullptr;  // none: the form's
  int BodyFontHeight = 0;
};

// The cancel confirmation as the backdrop offers it: true when the user chose to continue.
using TConfirmContinue = std::function<bool()>;

// The frame's rows followed by body's, which sit in the body (Gradient1) unless they name
// another parent.
std::vector<TControlDef> FramedPage(const TPageFrame& frame, std::span<const TControlDef> body);

// A framed page's form: caption "Kro Setup", dialog border, centred, key preview.
TFormDef FramedForm(const char* name, std::span<const TControlDef> controls,
                    std::span<const TTextDef> english, int clientHeight = 286);

class TForm;
// The outcome pages' only ways out: a click on button, or Enter (consumed) whichever control
// has the focus; Enter never presses a focused button.
void CloseOnButtonAndEnter(TForm& form, const char* button = "BtnCancel");
