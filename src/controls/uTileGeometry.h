// Where a textured panel puts its picture. Every placement shows the picture unscaled from its
// top-left corner: a rectangle's size is also the size of the part of the picture it shows.
#pragma once

#include <vector>

#include "uColor.h"

// Row by row from the top, left to right in a row; the last tile of a row and the last row are
// cut to what is left of the client rectangle. Nothing for an empty picture or client area.
std::vector<TRect> TileRects(const TRect& client, int pictureWidth, int pictureHeight);

// A picture smaller than the client area is centred on that axis; a larger one is cut to the
// client area and shown from its top-left corner.
TRect CenterRect(const TRect& client, int pictureWidth, int pictureHeight);
