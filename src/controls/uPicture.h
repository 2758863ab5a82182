// A picture as plain pixels, decoded from a Windows BMP file. The panels' texture is held this
// way so that copying it is a copy of data and drawing it needs no file format at paint time.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "uColor.h"

struct TPicture {
  int Width = 0, Height = 0;
  // Top row first, each pixel 0x00RRGGBB (the layout of a 32-bit top-down DIB).
  std::vector<std::uint32_t> Pixels;

  bool Empty() const { return Width <= 0 || Height <= 0; }
  TRgb At(int x, int y) const {
    const std::uint32_t p = Pixels[std::size_t(y) * std::size_t(Width) + std::size_t(x)];
    return {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)};
  }
  friend bool operator==(const TPicture&, const TPicture&) = default;
};

// Uncompressed BMP files with 1, 4, 8, 24 or 32 bits per pixel, bottom-up or top-down, with a
// 40-byte or larger information header. Nothing when the bytes are not such a file or do not
// hold all the pixels they announce. Pictures above 4096 pixels on a side are refused: the
// program's textures are tiny and a size field is no reason to allocate gigabytes.
std::optional<TPicture> TryDecodeBmp(std::span<const std::uint8_t> file);
