// The finish page's and the readme viewer's decisions, as plain code.
#pragma once

struct TFinishFace {
  bool RebootVisible = false;    // LabelReboot, RBRebootYes, RBRebootNo
  bool ShortcutEnabled = false;  // CBShortcut
  bool ShortcutChecked = false;
};

// A shortcut is offered only for a full installation, and ticked when a restart follows anyway
// (a first installation on the old platform family).
TFinishFace FinishFace(bool fullInstallation, bool rebootRequired);

// RebootNow after the page closed: the "yes" option when a restart was asked about, else as it
// was.
bool RebootNowOnClose(bool rebootRequired, bool rebootYesChecked, bool rebootNow);

struct TReadmeSize {
  int Width = 0, Height = 0;
};
// Two thirds of the screen, as whole pixels: the screen less a third of it.
TReadmeSize ReadmeSize(int screenWidth, int screenHeight);
