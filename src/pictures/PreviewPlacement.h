#pragma once
// Where the preview pane shows a picture: at its natural size, centred, when it fits;
// otherwise fitted into the largest square the pane holds, keeping its aspect, centred.

namespace vexilo {

struct PreviewRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;

  bool operator==(const PreviewRect&) const = default;
};

// width and height are the picture's, paneWidth and paneHeight the pane's, in pixels.
PreviewRect PlacePreview(int width, int height, int paneWidth, int paneHeight);

}  // namespace vexilo
