#pragma once
// A Bitmap24 as a baseline JPEG in memory through libjpeg-turbo, 4:2:0, for thumbnails that
// are written fast and shown in a browser. Any thread; each call has encoder state of its own.

#include <string>

#include "pictures/Bitmap24.h"

namespace vexilo {

inline constexpr int kDefaultJpegQuality = 85;

// quality 1..100 (clamped). Raises PictureError for an empty bitmap or when libjpeg fails.
std::string EncodeJpeg(const Bitmap24& bitmap, int quality = kDefaultJpegQuality);

}  // namespace vexilo
