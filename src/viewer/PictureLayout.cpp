#include "viewer/PictureLayout.h"

#include "viewer/ZoomRules.h"

namespace vexilo {
namespace {

int Offset(int area, int panel) { return area < panel ? 0 : (area - panel) / 2; }

}  // namespace

PictureLayout LayoutPicture(int pictureWidth, int pictureHeight, bool fit, int level, int areaWidth,
                            int areaHeight) {
  PictureLayout layout;
  layout.Level = fit ? kFitZoomLevel : level;
  layout.Width = ZoomedExtent(pictureWidth, layout.Level);
  layout.Height = ZoomedExtent(pictureHeight, layout.Level);
  layout.Left = Offset(areaWidth, layout.Width);
  layout.Top = Offset(areaHeight, layout.Height);
  return layout;
}

}  // namespace vexilo
