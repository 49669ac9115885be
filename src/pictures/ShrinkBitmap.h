#pragma once
// Shrinks a picture to fit a square by averaging the source pixels each target pixel covers.

#include "pictures/Bitmap24.h"

namespace vexilo {

// `bitmap` when its long side is at most `longSide`; otherwise a copy whose long side is
// longSide and whose short side keeps the aspect ratio, rounded, at least 1.
Bitmap24 ShrinkToFit(const Bitmap24& bitmap, int longSide);

}  // namespace vexilo
