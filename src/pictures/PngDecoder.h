#pragma once
// PNG files through libpng: every colour type and bit depth, interlaced or not, transparency
// drawn onto white. Raises PictureError.

#include <filesystem>
#include <string>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"

namespace vexilo {

// The pixels are taken from `lease`, when given, before they are allocated.
Bitmap24 DecodePng(const std::filesystem::path& path, DecodeLease* lease = nullptr);
// The same for a PNG already in memory; `name` goes into the error text.
Bitmap24 DecodePngBytes(const std::string& bytes, const std::string& name,
                        DecodeLease* lease = nullptr);

}  // namespace vexilo
