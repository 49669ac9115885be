#pragma once
// Puts the picture file list in a grid order (View > Sort By). The keys are read once per
// entry: a file's time and size from its metadata, its pixels from its header's first bytes.
// Ties, and files whose key cannot be read (which sort as the smallest), keep the name order.
// Main thread only.

#include <cstdint>
#include <string>

#include "core/PictureOrder.h"
#include "pictures/ImageFileList.h"

namespace vexilo {

// The picture's width x height from its header, 0 when it cannot be read; at most 64 KiB of
// the file is read (a JPEG's frame header may follow its EXIF block).
std::int64_t HeaderPixelCount(const std::string& path);

// Reorders the entries, thumbnails and all; the current position keeps its entry.
void SortPictures(TImageFileList& pictures, GridOrder order);

}  // namespace vexilo
