#pragma once
// PNG files through libpng: every colour type and bit depth, interlaced or not, transparency
// drawn onto white. Raises PictureError.

#include <filesystem>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"

namespace vexilo {

// The pixels are taken from `lease`, when given, before they are allocated.
Bitmap24 DecodePng(const std::filesystem::path& path, DecodeLease* lease = nullptr);

}  // namespace vexilo
