#pragma once
// A Bitmap24 kept deflated, for the thousands of thumbnails a grid holds: each byte stored as
// its difference to PNG's Paeth prediction from the pixels left, above and above-left, then
// deflated. Flat frames and background come to almost nothing, a photograph to about a
// quarter of its bytes, and Unpack gives back the very same bitmap. Any thread; a packed bitmap is
// a plain value.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pictures/Bitmap24.h"

namespace vexilo {

class PackedBitmap {
 public:
  PackedBitmap() = default;
  // Raises std::bad_alloc when memory runs out.
  explicit PackedBitmap(const Bitmap24& bitmap);

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  bool Empty() const { return mWidth == 0 || mHeight == 0; }
  std::size_t PackedBytes() const { return mBytes.size(); }

  Bitmap24 Unpack() const;

 private:
  int mWidth = 0;
  int mHeight = 0;
  std::vector<std::uint8_t> mBytes;
};

}  // namespace vexilo
