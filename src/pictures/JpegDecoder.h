#pragma once
// JPEG files through libjpeg-turbo. Grayscale, CMYK and YCCK come out as RGB; progressive and
// arithmetic-coded files are read too. With EXIF orientation on (PictureReading.h) the picture
// comes turned as its tag says, and FullWidth x FullHeight is the turned picture's size.
// Raises PictureError.

#include <filesystem>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"

namespace vexilo {

// minLongSide 0 decodes at full size. Otherwise the picture is decoded with DCT scaling at
// the largest reduction JpegScaleFor allows, with the faster, slightly coarser settings that
// do for a thumbnail. What the decode holds is taken from `lease`, when given, before it is
// allocated.
ReducedPicture DecodeJpeg(const std::filesystem::path& path, int minLongSide,
                          DecodeLease* lease = nullptr);

// The largest of 8, 4, 2 at which a picture of this size keeps its long side at least
// `minLongSide` pixels; 1 when none does.
int JpegScaleFor(int width, int height, int minLongSide);

}  // namespace vexilo
