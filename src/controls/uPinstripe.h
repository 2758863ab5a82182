// The striped picture of every header and button band: 22 x 36 pixels, 4 bits per pixel,
// rows of grey 241, 234, 241 and white repeating down, the bottom row 254 instead of 255.
#pragma once

#include <array>
#include <cstdint>

#include "uPicture.h"

// The BMP file as the designed forms carry it (550 bytes, pixels from offset 118).
extern const std::array<std::uint8_t, 550> PinstripeBmp;

TPicture PinstripePicture();
