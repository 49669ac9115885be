#include "pictures/ShrinkBitmap.h"

#include <algorithm>
#include <cstddef>

namespace vexilo {

Bitmap24 ShrinkToFit(const Bitmap24& bitmap, int longSide) {
  if (std::max(bitmap.Width(), bitmap.Height()) <= longSide) return bitmap;
  RowShrinker shrinker(bitmap.Width(), bitmap.Height(), longSide);
  for (int y = 0; y < bitmap.Height(); ++y) shrinker.AddRows(y, y + 1, bitmap.Row(y));
  return shrinker.Finish();
}

RowShrinker::RowShrinker(int width, int height, int longSide) {
  const std::int64_t longest = std::max(width, height);
  auto scaled = [&](int side) {
    return std::max<int>(
        1, static_cast<int>((side * std::int64_t{longSide} * 2 + longest) / (2 * longest)));
  };
  mColumnStart = CellStarts(width, scaled(width));
  mRowStart = CellStarts(height, scaled(height));
  mRowSums.resize((mColumnStart.size() - 1) * 3);
  mSums.resize(mRowSums.size() * (mRowStart.size() - 1));
}

std::vector<int> RowShrinker::CellStarts(int side, int cells) {
  std::vector<int> starts(static_cast<size_t>(cells) + 1);
  for (int i = 0; i <= cells; ++i) {
    starts[static_cast<size_t>(i)] = static_cast<int>(std::int64_t{i} * side / cells);
  }
  return starts;
}

void RowShrinker::AddRows(int first, int end, const std::uint8_t* row) {
  if (std::max(first, 0) >= std::min(end, mRowStart.back())) return;
  // The row's sum per target column once, then as many times as each target row takes it.
  const size_t columns = mColumnStart.size() - 1;
  for (size_t x = 0; x < columns; ++x) {
    std::uint64_t sum[3] = {0, 0, 0};
    const std::uint8_t* pixel = row + static_cast<std::ptrdiff_t>(mColumnStart[x]) * 3;
    for (int sx = mColumnStart[x]; sx < mColumnStart[x + 1]; ++sx, pixel += 3) {
      sum[0] += pixel[0];
      sum[1] += pixel[1];
      sum[2] += pixel[2];
    }
    std::copy(sum, sum + 3, mRowSums.begin() + static_cast<std::ptrdiff_t>(x) * 3);
  }
  AddColumnSums(first, end, mRowSums.data());
}

void RowShrinker::AddColumnSums(int first, int end, const std::uint64_t* sums) {
  first = std::max(first, 0);
  end = std::min(end, mRowStart.back());
  // The target row holding `first`: the last one starting at or before it.
  auto target = std::upper_bound(mRowStart.begin(), mRowStart.end(), first) - 1;
  for (int y = first; y < end; ++target) {
    const int next = std::min(end, *(target + 1));
    const auto times = static_cast<std::uint64_t>(next - y);
    std::uint64_t* cells = mSums.data() + (target - mRowStart.begin()) * mRowSums.size();
    for (size_t i = 0; i < mRowSums.size(); ++i) cells[i] += sums[i] * times;
    y = next;
  }
}

Bitmap24 RowShrinker::Finish() const {
  const int width = static_cast<int>(mColumnStart.size()) - 1;
  const int height = static_cast<int>(mRowStart.size()) - 1;
  Bitmap24 out(width, height);
  const std::uint64_t* sums = mSums.data();
  for (int y = 0; y < height; ++y) {
    const int rows = mRowStart[static_cast<size_t>(y) + 1] - mRowStart[static_cast<size_t>(y)];
    std::uint8_t* target = out.Row(y);
    for (int x = 0; x < width; ++x, sums += 3) {
      const int columns =
          mColumnStart[static_cast<size_t>(x) + 1] - mColumnStart[static_cast<size_t>(x)];
      const auto area = static_cast<std::uint64_t>(std::int64_t{rows} * columns);
      for (int c = 0; c < 3; ++c) {
        target[x * 3 + c] = static_cast<std::uint8_t>((sums[c] + area / 2) / area);
      }
    }
  }
  return out;
}

std::int64_t RowShrinker::HeldPixels() const {
  // Eight bytes a sum, four a cell start, and the output that Finish makes.
  const size_t bytes = (mSums.size() + mRowSums.size()) * 8 +
                       (mColumnStart.size() + mRowStart.size()) * 4 + mSums.size();
  return static_cast<std::int64_t>(bytes / 3);
}

}  // namespace vexilo
