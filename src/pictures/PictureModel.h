#pragma once
// The pictures the grid shows: the picture file list and one thumbnail per entry, packed
// (a folder of tens of thousands keeps them all). Thumbnails[i] is always the grid's item
// i and, outside a listing's grid build, Files entry i; the grid widget, the viewer and the
// gallery all read them here. Main thread only.

#include <vector>

#include "pictures/ImageFileList.h"
#include "pictures/PackedBitmap.h"

namespace vexilo {

struct PictureModel {
  TImageFileList Files;
  std::vector<PackedBitmap> Thumbnails;
};

}  // namespace vexilo
