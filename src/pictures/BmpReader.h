#pragma once
// Windows and OS/2 bitmaps: every header version (12 to 124 bytes), 1, 2, 4, 8, 16, 24 and
// 32 bits per pixel, RLE4 and RLE8, bit fields scaled properly to 8 bits, bottom-up and
// top-down rows. Alpha is dropped, colour kept; pixels an RLE picture leaves out are black.
// Embedded JPEG/PNG, OS/2 Huffman and RLE24, and 64 bits per pixel are refused.
// Raises PictureError.

#include <filesystem>
#include <string_view>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"

namespace vexilo {

// The pixels are taken from `lease`, when given, before they are allocated.
Bitmap24 DecodeBmp(const std::filesystem::path& path, DecodeLease* lease = nullptr);

// The same for a file's bytes; `name` is used in the error texts.
Bitmap24 DecodeBmpBytes(std::string_view bytes, const std::string& name,
                        DecodeLease* lease = nullptr);

}  // namespace vexilo
