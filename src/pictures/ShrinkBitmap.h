#pragma once
// Shrinks a picture to fit a square by averaging the source pixels each target pixel covers.

#include <cstdint>
#include <vector>

#include "pictures/Bitmap24.h"

namespace vexilo {

// `bitmap` when its long side is at most `longSide`; otherwise a copy whose long side is
// longSide and whose short side keeps the aspect ratio, rounded, at least 1.
Bitmap24 ShrinkToFit(const Bitmap24& bitmap, int longSide);

// The same average, fed the picture's rows one by one in any order, so a decoder never holds
// the picture at full size. One thread.
class RowShrinker {
 public:
  // For a picture of width x height (both allowed by PictureSizeAllowed) shrunk to fit
  // longSide, which must be less than the picture's long side.
  RowShrinker(int width, int height, int longSide);

  // Adds `row` (width blue, green, red pixels) as each of the rows first .. end-1. REQUIRES:
  // every row is added exactly once before Finish.
  void AddRows(int first, int end, const std::uint8_t* row);
  // The same for a row already summed per target column: blue, green, red of column x at
  // 3x .. 3x+2, each the sum over the source columns ColumnStarts()[x] .. [x+1]-1.
  void AddColumnSums(int first, int end, const std::uint64_t* sums);
  Bitmap24 Finish() const;

  // Target column x covers the source columns ColumnStarts()[x] .. ColumnStarts()[x+1]-1.
  const std::vector<int>& ColumnStarts() const { return mColumnStart; }
  // 3-byte pixels' worth of what the shrinker holds, for a decode's lease.
  std::int64_t HeldPixels() const;

 private:
  // Where target cell i starts along an axis of `side` pixels cut into `cells`.
  static std::vector<int> CellStarts(int side, int cells);

  std::vector<int> mColumnStart;
  std::vector<int> mRowStart;
  std::vector<std::uint64_t> mSums;     // three per target pixel, top row first
  std::vector<std::uint64_t> mRowSums;  // one row's three per target column
};

}  // namespace vexilo
