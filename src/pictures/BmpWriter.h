#pragma once
// Writes a Bitmap24 as an uncompressed 24-bit Windows bitmap (BITMAPINFOHEADER, bottom-up),
// through a temporary file renamed over the target, so a failed write leaves no half file.

#include <filesystem>

#include "pictures/Bitmap24.h"

namespace vexilo {

// Raises FileError when the file cannot be written, PictureError for an empty bitmap.
void WriteBmp(const Bitmap24& bitmap, const std::filesystem::path& path);

}  // namespace vexilo
