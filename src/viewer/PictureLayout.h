#pragma once
// Where the viewer puts the panel that holds the picture, as a pure function of the picture's
// natural size, the zoom and the scroll area's size.

namespace vexilo {

struct PictureLayout {
  int Level = 0;  // the zoom level the layout was made at
  int Left = 0;   // the panel's place in the scroll area's content
  int Top = 0;
  int Width = 0;  // the panel's (and the picture control's) size
  int Height = 0;
  bool operator==(const PictureLayout&) const = default;
};

// fit: level 9 (the natural size); otherwise the size at `level`, truncated. On each axis
// where the panel fits the area it is centred (halves truncated), where it does not it sits
// at 0 and the area scrolls over it. A picture that fits on one axis only is centred on that
// axis alone.
PictureLayout LayoutPicture(int pictureWidth, int pictureHeight, bool fit, int level, int areaWidth,
                            int areaHeight);

}  // namespace vexilo
