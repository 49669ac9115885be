#pragma once
// The second stage of recognising a copy: two candidates that the signature lets through are
// compared pixel by pixel at a common small size. The same picture lines up best with itself
// unmoved, with a small difference that rises steeply a pixel either way; a scene shifted by a
// percent or two lines up best off the centre, and a crop or a zoom lines up nowhere. The
// colour differences at the best place keep grey-scale and colour-graded versions apart. Plain
// values; any thread.

#include <string>

#include "pictures/Bitmap24.h"

namespace vexilo {

// The long side the two pictures are compared at, and the farthest they are moved against
// each other to find where they line up best.
inline constexpr int kCompareLongSide = 64;
inline constexpr int kCompareReach = 3;

struct PixelDistance {
  // Where b lines up best with a, in whole pixels of the comparison size, and the sub-pixel
  // estimate of it (a parabola through the differences around the best place).
  int BestX = 0;
  int BestY = 0;
  double OffsetX = 0;
  double OffsetY = 0;
  // Root mean square differences at the unmoved place, in levels: grey, and the blue and red
  // differences from grey together.
  double GreyDifference = 0;
  double ColourDifference = 0;
  // How far the means of grey and of the colour differences are apart: a change of light or
  // a tint moves them, a new encoding does not.
  double GreyShift = 0;
  double ColourShift = 0;
  // How far the colours are turned round grey, in degrees.
  double HueTurn = 0;
  // How much the grey difference rises one pixel from the unmoved place, the least of the
  // four ways, against the difference there: high for one picture, near 1 for a shifted one.
  double Steepness = 0;
  // "offset 0 0 (0.05 -0.02), steepness 9.1, grey 1.2, colour 0.4, mean grey 0.1, mean colour
  // 0.2, hue 0.3"
  std::string Text() const;
};

// The long side of a picture at full size.
inline int LongSide(const ReducedPicture& picture) {
  return picture.FullWidth > picture.FullHeight ? picture.FullWidth : picture.FullHeight;
}

// a and b are reductions of two pictures whose aspect ratios differ by a few percent at most
// (the signature has checked that); b is stretched to a's shape. REQUIRES: neither is empty.
PixelDistance ComparePixels(const Bitmap24& a, const Bitmap24& b);

// True when the distance is that of one picture at two sizes or encodings; smallerLongSide
// is the long side of the smaller of the two at full size.
bool SamePixels(const PixelDistance& distance, int smallerLongSide);

}  // namespace vexilo
