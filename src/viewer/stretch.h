#pragma once
// The smoothing stretch of the wallpaper: bilinear resampling of 24-bit pixels in fixed-point
// arithmetic, 15 fractional bits (32768 stands for one source pixel). Any thread.

#include <cstdint>

#include "pictures/Bitmap24.h"

namespace vexilo {

// The stretch target: a bottom-up 24-bit section and the numbers the stretch walks it by.
struct Dib24 {
  Bitmap24 Section;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t Padding = 0;      // bytes after a row's last pixel: Width mod 4
  std::int32_t RowLength = 0;    // ((Width x 24 + 31) div 32) x 4
  std::uint8_t* Bits = nullptr;  // the bottom row's first byte
};

// Allocates dib.Width x dib.Height and fills in the rest. Raises PictureError for a size
// Bitmap24 refuses.
void CreateDib24(Dib24& dib);

// Resamples the source rectangle (sx, sy) w x h, with sy counted from the source's bottom row,
// into the whole of dib. The source rectangle must lie inside src.
void BilinearStretch24(Dib24& dib, const Bitmap24& src, int sx, int sy, int sourceWidth,
                       int sourceHeight);

// Draws the source rectangle (from the top-left) into the destination rectangle: a plain
// copy when the sizes match or a side is below 2 pixels, the bilinear stretch otherwise.
// Parts of either rectangle outside their bitmaps are left out.
void StretchBitmapSmooth(Bitmap24& dest, int dx, int dy, int destWidth, int destHeight,
                         const Bitmap24& src, int sx, int sy, int sourceWidth, int sourceHeight);

}  // namespace vexilo
