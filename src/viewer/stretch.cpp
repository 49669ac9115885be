#include "viewer/stretch.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

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

namespace {

// What each output column reads, computed once per stretch: the left source pixel's byte
// offset, the step to its right neighbour (none in the last column) and the x fraction.
struct StretchColumn {
  std::int32_t Offset;
  std::int32_t Right;
  std::uint32_t Fx;
};

struct StretchJob {
  std::uint8_t* Out;  // the bottom output row
  std::int32_t OutRow;
  std::int32_t Width;
  const std::uint8_t* Src;  // the source rectangle's bottom row
  std::int32_t SrcRow;
  std::int32_t SourceHeight;
  std::int32_t YStep;
  const StretchColumn* Columns;
};

void StretchRows(const StretchJob& job, std::int32_t first, std::int32_t end) {
  for (std::int32_t row = first; row < end; ++row) {
    // The running sum of the steps, as one product: rows can be done in any order.
    const std::int32_t ySource = row * job.YStep;
    const std::int32_t iy = ySource >> 15;
    const std::uint8_t* row0 = job.Src + static_cast<std::ptrdiff_t>(iy) * job.SrcRow;
    const std::uint8_t* row1 = iy < job.SourceHeight - 1 ? row0 + job.SrcRow : row0;
    const std::uint32_t fy = static_cast<std::uint32_t>(ySource & 0x7FFF);
    const std::uint32_t gy = 32768 - fy;
    std::uint8_t* out = job.Out + static_cast<std::ptrdiff_t>(row) * job.OutRow;
    for (std::int32_t column = 0; column < job.Width; ++column) {
      const StretchColumn c = job.Columns[column];
      const std::uint8_t* p00 = row0 + c.Offset;
      const std::uint8_t* p10 = row1 + c.Offset;
      const std::uint8_t* p01 = p00 + c.Right;
      const std::uint8_t* p11 = p10 + c.Right;
      const std::uint32_t w01 = (c.Fx * gy) >> 15;
      const std::uint32_t w00 = gy - w01;
      const std::uint32_t w11 = (c.Fx * fy) >> 15;
      const std::uint32_t w10 = fy - w11;
      out[0] = static_cast<std::uint8_t>(
          (p00[0] * w00 + p01[0] * w01 + p10[0] * w10 + p11[0] * w11) >> 15);
      out[1] = static_cast<std::uint8_t>(
          (p00[1] * w00 + p01[1] * w01 + p10[1] * w10 + p11[1] * w11) >> 15);
      out[2] = static_cast<std::uint8_t>(
          (p00[2] * w00 + p01[2] * w01 + p10[2] * w10 + p11[2] * w11) >> 15);
      out += 3;
    }
  }
}

// Below this many output pixels a second thread costs more than it saves.
constexpr std::int64_t kPixelsPerThread = 65536;

// The stretch into a bottom-up 24-bit target of width x height whose rows are rowLength apart.
void StretchInto(std::uint8_t* bits, std::int32_t rowLength, std::int32_t width,
                 std::int32_t height, const Bitmap24& src, int sx, int sy, int sourceWidth,
                 int sourceHeight) {
  if (width < 1 || height < 1) return;
  const std::int32_t xStep = ((sourceWidth - 1) * 32768) / width;
  std::vector<StretchColumn> columns(static_cast<std::size_t>(width));
  std::int32_t xSource = 0;
  for (StretchColumn& column : columns) {
    const std::int32_t ix = xSource >> 15;
    column = {3 * (sx + ix), ix < sourceWidth - 1 ? 3 : 0,
              static_cast<std::uint32_t>(xSource & 0x7FFF)};
    xSource += xStep;
  }
  // Both bitmaps are bottom-up: the first row in memory is the picture's bottom row.
  const StretchJob job{bits,
                       rowLength,
                       width,
                       src.Bits() + static_cast<std::ptrdiff_t>(sy) * src.Stride(),
                       src.Stride(),
                       sourceHeight,
                       ((sourceHeight - 1) * 32768) / height,
                       columns.data()};
  const std::int64_t pixels = std::int64_t{width} * height;
  const std::int32_t threads = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      pixels / kPixelsPerThread, 1, std::max(1u, std::thread::hardware_concurrency())));
  std::vector<std::jthread> helpers;
  helpers.reserve(static_cast<std::size_t>(threads - 1));
  const auto rowOf = [&](std::int32_t part) {
    return static_cast<std::int32_t>(std::int64_t{height} * part / threads);
  };
  try {
    for (std::int32_t part = 1; part < threads; ++part) {
      helpers.emplace_back(
          [&job, first = rowOf(part), end = rowOf(part + 1)] { StretchRows(job, first, end); });
    }
  } catch (const std::system_error&) {
    // No thread to spare: this one does the rest too.
    StretchRows(job, rowOf(static_cast<std::int32_t>(helpers.size()) + 1), height);
  }
  StretchRows(job, 0, rowOf(1));
}

}  // namespace

void BilinearStretch24(Dib24& dib, const Bitmap24& src, int sx, int sy, int sourceWidth,
                       int sourceHeight) {
  StretchInto(dib.Bits, dib.RowLength, dib.Width, dib.Height, src, sx, sy, sourceWidth,
              sourceHeight);
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
  const int bottom = src.Height() - sy - sourceHeight;
  // Filling the whole of dest (the wallpaper does), the stretch writes it directly.
  if (dx == 0 && dy == 0 && destWidth == dest.Width() && destHeight == dest.Height()) {
    StretchInto(dest.Bits(), dest.Stride(), destWidth, destHeight, src, sx, bottom, sourceWidth,
                sourceHeight);
    return;
  }
  Dib24 dib;
  dib.Width = destWidth;
  dib.Height = destHeight;
  CreateDib24(dib);
  BilinearStretch24(dib, src, sx, bottom, sourceWidth, sourceHeight);
  PlainStretch(dest, dx, dy, destWidth, destHeight, dib.Section, 0, 0, destWidth, destHeight);
}

}  // namespace vexilo
