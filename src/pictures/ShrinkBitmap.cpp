#include "pictures/ShrinkBitmap.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vexilo {

Bitmap24 ShrinkToFit(const Bitmap24& bitmap, int longSide) {
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  if (std::max(width, height) <= longSide) return bitmap;
  const std::int64_t longest = std::max(width, height);
  auto scaled = [&](int side) {
    return std::max<int>(
        1, static_cast<int>((side * std::int64_t{longSide} * 2 + longest) / (2 * longest)));
  };
  Bitmap24 out(scaled(width), scaled(height));
  // Target pixel x covers source columns [x * width / outWidth, (x + 1) * width / outWidth).
  std::vector<int> columnStart(static_cast<size_t>(out.Width()) + 1);
  for (int x = 0; x <= out.Width(); ++x) {
    columnStart[static_cast<size_t>(x)] = static_cast<int>(std::int64_t{x} * width / out.Width());
  }
  std::vector<std::uint32_t> sums(static_cast<size_t>(out.Width()) * 3);
  for (int y = 0; y < out.Height(); ++y) {
    const int top = static_cast<int>(std::int64_t{y} * height / out.Height());
    const int bottom = static_cast<int>(std::int64_t{y + 1} * height / out.Height());
    std::fill(sums.begin(), sums.end(), 0u);
    for (int sy = top; sy < bottom; ++sy) {
      const std::uint8_t* row = bitmap.Row(sy);
      for (int x = 0; x < out.Width(); ++x) {
        for (int sx = columnStart[static_cast<size_t>(x)];
             sx < columnStart[static_cast<size_t>(x) + 1]; ++sx) {
          for (int c = 0; c < 3; ++c)
            sums[static_cast<size_t>(x) * 3 + static_cast<size_t>(c)] += row[sx * 3 + c];
        }
      }
    }
    std::uint8_t* target = out.Row(y);
    for (int x = 0; x < out.Width(); ++x) {
      const std::uint32_t area =
          static_cast<std::uint32_t>((bottom - top) * (columnStart[static_cast<size_t>(x) + 1] -
                                                       columnStart[static_cast<size_t>(x)]));
      for (int c = 0; c < 3; ++c) {
        const size_t i = static_cast<size_t>(x) * 3 + static_cast<size_t>(c);
        target[x * 3 + c] = static_cast<std::uint8_t>((sums[i] + area / 2) / area);
      }
    }
  }
  return out;
}

}  // namespace vexilo
