#pragma once
// WebP files through libwebp: lossy and lossless, transparency drawn onto white; an animated
// file gives its first frame on its canvas. Raises PictureError.

#include <filesystem>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"

namespace vexilo {

// minLongSide 0 decodes at full size. Otherwise a still picture is scaled while decoding to
// the smallest size that keeps its long side at least `minLongSide` pixels (animated ones
// come at full size). What the decode holds is taken from `lease`, when given, before it is
// allocated.
ReducedPicture DecodeWebp(const std::filesystem::path& path, int minLongSide,
                          DecodeLease* lease = nullptr);

}  // namespace vexilo
