#pragma once
// The pictures the grid shows: the picture file list and one thumbnail per entry. Outside a
// listing's grid build, Thumbnails[i] is the grid's item i and Files entry i; the grid
// widget, the viewer and the gallery all read them here. Main thread only.

#include <vector>

#include "pictures/Bitmap24.h"
#include "pictures/ImageFileList.h"

namespace vexilo {

struct PictureModel {
  TImageFileList Files;
  std::vector<Bitmap24> Thumbnails;
};

}  // namespace vexilo
