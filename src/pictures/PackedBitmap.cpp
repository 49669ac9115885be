#include "pictures/PackedBitmap.h"

#include <zlib.h>

#include <new>
#include <stdexcept>

namespace vexilo {

namespace {

// Fastest deflate: thumbnails are packed on every listing, and the higher levels gain little
// on pictures this small.
constexpr int kLevel = 1;

std::size_t RowBytes(int width) { return static_cast<std::size_t>(width) * 3; }

}  // namespace

PackedBitmap::PackedBitmap(const Bitmap24& bitmap)
    : mWidth(bitmap.Width()), mHeight(bitmap.Height()) {
  if (bitmap.Empty()) return;
  const std::size_t rowBytes = RowBytes(mWidth);
  std::vector<std::uint8_t> deltas(rowBytes * static_cast<std::size_t>(mHeight));
  for (int y = 0; y < mHeight; ++y) {
    const std::uint8_t* row = bitmap.Row(y);
    std::uint8_t* out = deltas.data() + rowBytes * static_cast<std::size_t>(y);
    for (std::size_t i = 0; i < rowBytes; ++i) {
      out[i] = static_cast<std::uint8_t>(row[i] - (i >= 3 ? row[i - 3] : 0));
    }
  }
  uLongf packed = compressBound(static_cast<uLong>(deltas.size()));
  mBytes.resize(packed);
  if (compress2(mBytes.data(), &packed, deltas.data(), static_cast<uLong>(deltas.size()), kLevel) !=
      Z_OK) {
    throw std::bad_alloc();  // deflate fails only for want of memory
  }
  mBytes.resize(packed);
  mBytes.shrink_to_fit();
}

Bitmap24 PackedBitmap::Unpack() const {
  Bitmap24 bitmap(mWidth, mHeight);
  if (bitmap.Empty()) return bitmap;
  const std::size_t rowBytes = RowBytes(mWidth);
  std::vector<std::uint8_t> deltas(rowBytes * static_cast<std::size_t>(mHeight));
  uLongf size = static_cast<uLongf>(deltas.size());
  if (uncompress(deltas.data(), &size, mBytes.data(), static_cast<uLong>(mBytes.size())) != Z_OK ||
      size != deltas.size()) {
    throw std::logic_error("a packed bitmap does not inflate to its size");
  }
  for (int y = 0; y < mHeight; ++y) {
    const std::uint8_t* in = deltas.data() + rowBytes * static_cast<std::size_t>(y);
    std::uint8_t* row = bitmap.Row(y);
    for (std::size_t i = 0; i < rowBytes; ++i) {
      row[i] = static_cast<std::uint8_t>(in[i] + (i >= 3 ? row[i - 3] : 0));
    }
  }
  return bitmap;
}

}  // namespace vexilo
