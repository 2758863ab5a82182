// `kropack test`: inflates a member without writing it anywhere.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "class_Compress.h"
#include "uFileSys.h"

struct TMemberCheck {
  bool Ok = false;
  std::string Problem;  // why not, when not Ok
  uint32_t Adler = 0;   // Adler-32 of the inflated bytes (zlib compares it with the trailer)
  int64_t Inflated = 0;
};

// Sound means: the data lies inside the archive, is one complete zlib stream whose Adler-32
// trailer matches, and inflates to exactly FileSize bytes. Reading stops as soon as the output
// passes FileSize, so a hostile member costs no more than its claimed size. Members spread
// over disk files are reported as not testable.
TMemberCheck CheckMember(fsys::TFile& archive, int64_t offset, const TFileHeader& entry,
                         const std::function<void(int64_t bytes)>& progress = {});
