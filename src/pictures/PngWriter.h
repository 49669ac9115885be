#pragma once
// A Bitmap24 as an 8-bit RGB PNG in memory, written in one pass for speed over size.

#include <string>

#include "pictures/Bitmap24.h"

namespace vexilo {

// Raises PictureError when libpng cannot write it (an empty bitmap, no memory).
std::string EncodePng(const Bitmap24& bitmap);

}  // namespace vexilo
