// What the frame of every page and dialog is made of, one definition each: the textured header
// and button bands (the pinstripe picture tiled), their rules, the gradient body and the
// owner-drawn buttons. The entry pages (diaWelcomeFrame) and the progress and outcome pages
// (diaLoadFrame) lay their frames out of these.
#pragma once

#include "uControlDefs.h"
#include "uFormDefs.h"

inline constexpr int kPageWidth = 472;
inline constexpr int kButtonBandHeight = 33;
inline constexpr TFormColor kAmberRule = 0x3CC8FF;                      // RGB 255,200,60
inline constexpr TFormColor kInactiveCaptionRule = FormSystemColor(3);  // inactive caption

inline const TXPanelProps kBandProps = PinstripeBand();
inline const TGradientProps kBodyProps{
    .ColorStart = clWindow, .ColorEnd = cl3DLight, .GradientDirection = gdTopToBottom};
inline const TTGButtonProps kButtonProps{};
