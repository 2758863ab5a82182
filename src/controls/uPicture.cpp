#include "uPicture.h"

namespace {

constexpr int kMaxSide = 4096;

std::uint32_t Le(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + std::size_t(i)];
  return v;
}

}  // namespace

std::optional<TPicture> TryDecodeBmp(std::span<const std::uint8_t> f) {
  if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return std::nullopt;
  const std::uint32_t dataOffset = Le(f, 10, 4);
  const std::uint32_t headerSize = Le(f, 14, 4);
  const std::int32_t width = std::int32_t(Le(f, 18, 4));
  const std::int32_t rawHeight = std::int32_t(Le(f, 22, 4));
  const std::uint32_t planes = Le(f, 26, 2), bits = Le(f, 28, 2), compression = Le(f, 30, 4);
  std::uint32_t colorsUsed = Le(f, 46, 4);
  if (headerSize < 40 || planes != 1 || compression != 0) return std::nullopt;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -std::int64_t(rawHeight) : rawHeight;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;

  // The palette follows the information header; paletted files need every entry they use.
  const std::size_t paletteAt = 14 + std::size_t(headerSize);
  std::uint32_t paletteSize = 0;
  if (bits <= 8) {
    paletteSize = colorsUsed ? colorsUsed : (1u << bits);
    if (paletteSize > (1u << bits)) return std::nullopt;
  }
  if (paletteAt > f.size() || (f.size() - paletteAt) / 4 < paletteSize) return std::nullopt;

  const std::size_t stride = ((std::size_t(width) * bits + 31) / 32) * 4;
  if (dataOffset > f.size() || (f.size() - dataOffset) / stride < std::size_t(height))
    return std::nullopt;

  TPicture pic;
  pic.Width = width;
  pic.Height = int(height);
  pic.Pixels.resize(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < pic.Height; ++y) {
    const std::size_t row = dataOffset + stride * std::size_t(topDown ? y : pic.Height - 1 - y);
    for (int x = 0; x < width; ++x) {
      std::uint32_t rgb;
      if (bits >= 24) {
        const std::size_t at = row + std::size_t(x) * (bits / 8);
        rgb = Le(f, at, 3);  // B, G, R in the file: 0x00RRGGBB once read little-endian
      } else {
        const std::size_t bit = std::size_t(x) * bits;
        const unsigned byte = f[row + bit / 8];
        const unsigned index = (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        if (index >= paletteSize) return std::nullopt;
        rgb = Le(f, paletteAt + index * 4, 3);
      }
      pic.Pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = rgb;
    }
  }
  return pic;
}
