// Why a member is damaged, in words: zlib inflates it once more, without writing it anywhere.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "class_Compress.h"

struct TMemberCheck {
  bool Ok = false;
  std::string Problem;  // why not, when not Ok
  uint32_t Adler = 0;   // Adler-32 of the inflated bytes (zlib compares it with the trailer)
  int64_t Inflated = 0;
};

// Sound means: the data lies inside the archive's files, is one complete zlib stream whose
// Adler-32 trailer matches, and inflates to exactly FileSize bytes. The data is read from the
// files the engine reads it from: the archive itself, or in a spanned set the disk files
// FirstDisk to LastDisk. Reading stops as soon as the output passes FileSize, so a hostile
// member costs no more than its claimed size.
TMemberCheck CheckMember(const std::string& archive, bool spanned, int64_t offset,
                         const TFileHeader& entry,
                         const std::function<void(int64_t bytes)>& progress = {});
