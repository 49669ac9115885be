#pragma once
// The 80 x 80 thumbnail of a picture: the cell in the button-face colour with a raised bevel,
// and the picture stretched (nearest neighbour) into a sunken frame, centred, keeping its
// aspect ratio. The geometry comes from the picture's full size even when the pixels come
// from a reduced copy, so a thumbnail looks the same either way.

#include <cstdint>

#include "pictures/Bitmap24.h"

namespace vexilo {

inline constexpr int kThumbnailSize = 80;

// Where the picture goes inside the cell; right and bottom excluded.
struct ThumbnailLayout {
  int BevelX = 0;
  int BevelY = 0;
  int BevelWidth = 0;
  int BevelHeight = 0;
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const ThumbnailLayout&) const = default;
};

// The layout for a picture of fullWidth x fullHeight (both at least 1).
ThumbnailLayout LayoutThumbnail(int fullWidth, int fullHeight);

// A bevel with origin (x, y), width a, height b: lines from (x + a, y) to (x, y) to (x, y + b)
// in `first`, then to (x + a, y + b) and back to (x + a, y) in `second`, each line's end pixel
// left out. Parts outside the bitmap are not drawn.
void DrawBevel(Bitmap24& canvas, int x, int y, int a, int b, std::uint32_t first,
               std::uint32_t second);

// `pixels` shows the whole picture, of fullWidth x fullHeight, possibly reduced. buttonFace is
// 0xRRGGBB, the background the grid itself shows.
Bitmap24 MakeThumbnail(const Bitmap24& pixels, int fullWidth, int fullHeight,
                       std::uint32_t buttonFace);
// The same for a picture at full size.
Bitmap24 MakeThumbnail(const Bitmap24& picture, std::uint32_t buttonFace);

// The side in device pixels of a thumbnail at a device pixel ratio (at least 1): 80 x ratio,
// rounded up.
int SharpThumbnailSide(double ratio);
// MakeThumbnail's cell composed at a device pixel ratio, for a screen that would otherwise
// show the 80 x 80 one enlarged: every line and the frame sit where the enlarged cell has
// them, the picture stretched into the scaled frame from `pixels`, which should be as large
// as the frame to look sharp. At ratio 1 it is MakeThumbnail's.
Bitmap24 MakeSharpThumbnail(const Bitmap24& pixels, int fullWidth, int fullHeight,
                            std::uint32_t buttonFace, double ratio);

}  // namespace vexilo
