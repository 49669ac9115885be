#include "pictures/PreviewPlacement.h"

#include <cstdint>

namespace vexilo {

PreviewRect PlacePreview(int width, int height, int paneWidth, int paneHeight) {
  PreviewRect rect;
  if (height <= paneHeight && width <= paneWidth) {
    rect.Width = width;
    rect.Height = height;
  } else {
    int side = paneHeight < paneWidth ? paneHeight : paneWidth;
    // A picture of tens of thousands of pixels times a large pane overflows int.
    if (height >= width) {
      rect.Height = side;
      rect.Width = static_cast<int>(std::int64_t{width} * side / height);
    } else {
      rect.Width = side;
      rect.Height = static_cast<int>(std::int64_t{height} * side / width);
    }
  }
  rect.Left = (paneWidth - rect.Width) / 2;
  rect.Top = (paneHeight - rect.Height) / 2;
  return rect;
}

}  // namespace vexilo
