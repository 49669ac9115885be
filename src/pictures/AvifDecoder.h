#pragma once
// AVIF files through libavif: the first image of the file, transparency drawn onto white.
// Raises PictureError.

#include <filesystem>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"

namespace vexilo {

// What the decode holds is taken from `lease`, when given, before it is allocated.
Bitmap24 DecodeAvif(const std::filesystem::path& path, DecodeLease* lease = nullptr);

}  // namespace vexilo
