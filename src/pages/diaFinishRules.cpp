#include "diaFinishRules.h"

TFinishFace FinishFace(bool fullInstallation, bool rebootRequired) {
  TFinishFace face;
  face.RebootVisible = rebootRequired;
  face.ShortcutEnabled = fullInstallation;
  face.ShortcutChecked = fullInstallation && rebootRequired;
  return face;
}

bool RebootNowOnClose(bool rebootRequired, bool rebootYesChecked, bool rebootNow) {
  return rebootRequired ? rebootYesChecked : rebootNow;
}

TReadmeSize ReadmeSize(int screenWidth, int screenHeight) {
  return {screenWidth - screenWidth / 3, screenHeight - screenHeight / 3};
}
