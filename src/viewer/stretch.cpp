#include "viewer/stretch.h"

#include <algorithm>
#include <cstring>

namespace vexilo {
namespace {

// Nearest-neighbour copy, as a plain stretching block copy does; equal sizes copy exactly.
void PlainStretch(Bitmap24& dest, int dx, int dy, int destWidth, int destHeight,
                  const Bitmap24& src, int sx, int sy, int sourceWidth, int sourceHeight) {
  if (destWidth < 1 || destHeight < 1 || sourceWidth < 1 || sourceHeight < 1) return;
  for (int y = 0; y < destHeight; ++y) {
    const int ty = dy + y;
    const int fy = sy + static_cast<int>(std::int64_t{y} * sourceHeight / destHeight);
    if (ty < 0 || ty >= dest.Height() || fy < 0 || fy >= src.Height()) continue;
    std::uint8_t* out = dest.Row(ty);
    const std::uint8_t* in = src.Row(fy);
    for (int x = 0; x < destWidth; ++x) {
      const int tx = dx + x;
      const int fx = sx + static_cast<int>(std::int64_t{x} * sourceWidth / destWidth);
      if (tx < 0 || tx >= dest.Width() || fx < 0 || fx >= src.Width()) continue;
      std::memcpy(out + 3 * tx, in + 3 * fx, 3);
    }
  }
}

}  // namespace

void CreateDib24(Dib24& dib) {
  dib.Section = Bitmap24(dib.Width, dib.Height);
  dib.Padding = dib.Width % 4;
  dib.RowLength = ((dib.Width * 24 + 31) / 32) * 4;
  dib.Bits = dib.Section.Bits();
}

void BilinearStretch24(Dib24& dib, const Bitmap24& src, int sx, int sy, int sourceWidth,
                       int sourceHeight) {
  const std::int32_t srcRow = src.Stride();
  const std::int32_t xStep = ((sourceWidth - 1) * 32768) / dib.Width;
  const std::int32_t yStep = ((sourceHeight - 1) * 32768) / dib.Height;
  // Both bitmaps are bottom-up: the first row in memory is the picture's bottom row.
  const std::uint8_t* srcBits = src.Bits();
  std::uint8_t* out = dib.Bits;
  std::int32_t ySource = 0;
  for (std::int32_t row = 0; row < dib.Height; ++row) {
    const std::int32_t iy = ySource >> 15;
    const std::uint8_t* row0 = srcBits + static_cast<std::ptrdiff_t>(sy + iy) * srcRow;
    const std::uint8_t* row1 = iy < sourceHeight - 1 ? row0 + srcRow : row0;
    const std::uint32_t fy = static_cast<std::uint32_t>(ySource & 0x7FFF);
    const std::uint32_t gy = 32768 - fy;
    std::int32_t xSource = 0;
    for (std::int32_t column = 0; column < dib.Width; ++column) {
      const std::int32_t ix = xSource >> 15;
      const std::uint8_t* p00 = row0 + 3 * (sx + ix);
      const std::uint8_t* p10 = row1 + 3 * (sx + ix);
      const bool hasRight = ix < sourceWidth - 1;
      const std::uint8_t* p01 = hasRight ? p00 + 3 : p00;
      const std::uint8_t* p11 = hasRight ? p10 + 3 : p10;
      const std::uint32_t fx = static_cast<std::uint32_t>(xSource & 0x7FFF);
      const std::uint32_t w01 = (fx * gy) >> 15;
      const std::uint32_t w00 = gy - w01;
      const std::uint32_t w11 = (fx * fy) >> 15;
      const std::uint32_t w10 = fy - w11;
      for (int byte = 0; byte < 3; ++byte) {
        out[byte] = static_cast<std::uint8_t>(
            (p00[byte] * w00 + p01[byte] * w01 + p10[byte] * w10 + p11[byte] * w11) >> 15);
      }
      out += 3;
      xSource += xStep;
    }
    out += dib.Padding;
    ySource += yStep;
  }
}

void StretchBitmapSmooth(Bitmap24& dest, int dx, int dy, int destWidth, int destHeight,
                         const Bitmap24& src, int sx, int sy, int sourceWidth, int sourceHeight) {
  if ((destWidth == sourceWidth && destHeight == sourceHeight) || destWidth < 2 || destHeight < 2 ||
      sourceWidth < 1 || sourceHeight < 1) {
    PlainStretch(dest, dx, dy, destWidth, destHeight, src, sx, sy, sourceWidth, sourceHeight);
    return;
  }
  // The resampling reads whole rows by address: the rectangle must lie inside the source.
  if (sx < 0 || sy < 0 || sx + sourceWidth > src.Width() || sy + sourceHeight > src.Height()) {
    return;
  }
  Dib24 dib;
  dib.Width = destWidth;
  dib.Height = destHeight;
  CreateDib24(dib);
  BilinearStretch24(dib, src, sx, src.Height() - sy - sourceHeight, sourceWidth, sourceHeight);
  PlainStretch(dest, dx, dy, destWidth, destHeight, dib.Section, 0, 0, destWidth, destHeight);
}

}  // namespace vexilo
