#include "pictures/ShrinkBitmap.h"

#include <algorithm>
#include <cstddef>
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
  // Each target row first adds up its source rows per source byte (a loop the compiler
  // vectorises), then each target pixel adds up its columns of that.
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint32_t> columnSums(rowBytes);
  for (int y = 0; y < out.Height(); ++y) {
    const int top = static_cast<int>(std::int64_t{y} * height / out.Height());
    const int bottom = static_cast<int>(std::int64_t{y + 1} * height / out.Height());
    std::fill(columnSums.begin(), columnSums.end(), 0u);
    for (int sy = top; sy < bottom; ++sy) {
      const std::uint8_t* row = bitmap.Row(sy);
      for (std::size_t i = 0; i < rowBytes; ++i) columnSums[i] += row[i];
    }
    std::uint8_t* target = out.Row(y);
    for (int x = 0; x < out.Width(); ++x) {
      const int left = columnStart[static_cast<size_t>(x)];
      const int right = columnStart[static_cast<size_t>(x) + 1];
      std::uint32_t sum[3] = {0, 0, 0};
      for (int sx = left; sx < right; ++sx) {
        const std::uint32_t* column = columnSums.data() + static_cast<std::size_t>(sx) * 3;
        sum[0] += column[0];
        sum[1] += column[1];
        sum[2] += column[2];
      }
      const auto area = static_cast<std::uint32_t>((bottom - top) * (right - left));
      for (int c = 0; c < 3; ++c) {
        target[x * 3 + c] = static_cast<std::uint8_t>((sum[c] + area / 2) / area);
      }
    }
  }
  return out;
}

}  // namespace vexilo
