#pragma once
// A picture split into grey and two colour-difference planes of floats, and area-averaged to
// another size: the common ground of the signature and of the pixel comparison of two copies.
// Plain values; any thread.

#include <cstddef>
#include <vector>

#include "pictures/Bitmap24.h"

namespace vexilo {

struct Plane {
  int Width = 0;
  int Height = 0;
  std::vector<float> Values;  // top row first
  float At(int x, int y) const {
    return Values[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
                  static_cast<std::size_t>(x)];
  }
};

// Grey (0 to 255) and the blue and red differences from it, offset by 128 so that a grey pixel
// has 128 in both.
struct ColourPlanes {
  Plane Luma;
  Plane BlueDifference;
  Plane RedDifference;
};

ColourPlanes SplitColours(const Bitmap24& pixels);

// The plane stretched or shrunk to width x height, each target cell the mean of what it
// covers. REQUIRES: the plane and the target are not empty.
Plane AreaAverage(const Plane& plane, int width, int height);

}  // namespace vexilo
