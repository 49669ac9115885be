#pragma once
// WebP files through libwebp: lossy and lossless, transparency drawn onto white; an animated
// file gives its first frame on its canvas. Raises PictureError.

#include <filesystem>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"
#include "pictures/PictureAnimation.h"

namespace vexilo {

// minLongSide 0 decodes at full size. Otherwise a still picture is scaled while decoding to
// the smallest size that keeps its long side at least `minLongSide` pixels (animated ones
// come at full size). What the decode holds is taken from `lease`, when given, before it is
// allocated.
ReducedPicture DecodeWebp(const std::filesystem::path& path, int minLongSide,
                          DecodeLease* lease = nullptr);

// An animated WebP frame by frame, drawn onto white; none for a still one. Its loop count is
// the number of showings, 0 for ever. Raises PictureError.
std::unique_ptr<PictureAnimation> OpenWebpAnimation(const std::filesystem::path& path);

}  // namespace vexilo
