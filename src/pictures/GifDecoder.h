#pragma once
// GIF files through giflib: the first image drawn onto a bitmap of the logical screen's size.
// Pixels the image does not cover, and its transparent ones, take the background colour.
// Raises PictureError.

#include <filesystem>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"

namespace vexilo {

// The screen's pixels are taken from `lease`, when given, before they are allocated.
Bitmap24 DecodeGif(const std::filesystem::path& path, DecodeLease* lease = nullptr);

}  // namespace vexilo
