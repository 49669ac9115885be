#include "pictures/PixelComparison.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

#include "pictures/ColourPlanes.h"

namespace vexilo {
namespace {

constexpr int kSpan = 2 * kCompareReach + 1;

// The limits, from the pairs of make-signature-pairs.sh: one picture at 10 % to 100 % and
// quality 30 to 100 lines up within 0.34 pixels (at 64) of the unmoved place, a scene shifted
// by 1 % (0.64 pixels) 0.66 or more away. Decoding paths differ (scaled JPEG decode, full
// decode and shrink), which costs up to 7 levels of grey, 6 of colour, 1.6 of mean grey and
// 1.4 of mean colour, and turns the colours up to 3.3 degrees; a steepness below 1.25 is a
// picture too smooth to tell a shift.
constexpr double kMaxOffset = 0.35;
constexpr double kMinSteepness = 1.25;
// A gallery's thumbnail (a few hundred pixels) lands up to half a compared pixel off its
// original by the resampling alone, and its minimum is flatter.
constexpr int kThumbnailLongSide = 400;
constexpr double kMaxThumbnailOffset = 0.5;
constexpr double kMinThumbnailSteepness = 1.0;
constexpr double kMaxGreyDifference = 8.0;
constexpr double kMaxColourDifference = 6.5;
constexpr double kMaxGreyShift = 2.0;
constexpr double kMaxColourShift = 1.5;
constexpr double kMaxHueTurn = 4.0;
constexpr double kLeastColourToTurn = 3.0;

// The compared size: a's shape, long side kCompareLongSide or the shorter of the two long
// sides when either picture is smaller, so neither is blown up much.
std::pair<int, int> CompareSize(const Bitmap24& a, const Bitmap24& b) {
  const int longSide = std::min(
      {kCompareLongSide, std::max(a.Width(), a.Height()), std::max(b.Width(), b.Height())});
  const double shortShare =
      static_cast<double>(std::min(a.Width(), a.Height())) / std::max(a.Width(), a.Height());
  const int shortSide = std::max(1, static_cast<int>(std::lround(longSide * shortShare)));
  return a.Width() >= a.Height() ? std::pair{longSide, shortSide} : std::pair{shortSide, longSide};
}

// The plane blurred by 1 2 1 across and down: two decodes of one picture reduced along
// different paths differ most in their finest detail, which a shift of a pixel or two does
// not need to show.
Plane Smoothed(const Plane& plane) {
  Plane across = plane;
  for (int y = 0; y < plane.Height; ++y) {
    for (int x = 0; x < plane.Width; ++x) {
      const float left = plane.At(std::max(x - 1, 0), y);
      const float right = plane.At(std::min(x + 1, plane.Width - 1), y);
      across.Values[static_cast<size_t>(y * plane.Width + x)] =
          (left + 2 * plane.At(x, y) + right) / 4;
    }
  }
  Plane result = across;
  for (int y = 0; y < plane.Height; ++y) {
    for (int x = 0; x < plane.Width; ++x) {
      const float up = across.At(x, std::max(y - 1, 0));
      const float down = across.At(x, std::min(y + 1, plane.Height - 1));
      result.Values[static_cast<size_t>(y * plane.Width + x)] =
          (up + 2 * across.At(x, y) + down) / 4;
    }
  }
  return result;
}

ColourPlanes ReducedPlanes(const Bitmap24& pixels, int width, int height) {
  const ColourPlanes planes = SplitColours(pixels);
  return {Smoothed(AreaAverage(planes.Luma, width, height)),
          Smoothed(AreaAverage(planes.BlueDifference, width, height)),
          Smoothed(AreaAverage(planes.RedDifference, width, height))};
}

// The mean of a's inner part less b's, unmoved: how much lighter or more coloured a is.
double MeanDifference(const Plane& a, const Plane& b) {
  double sum = 0;
  int count = 0;
  for (int y = kCompareReach; y < a.Height - kCompareReach; ++y) {
    for (int x = kCompareReach; x < a.Width - kCompareReach; ++x) {
      sum += a.At(x, y) - b.At(x, y);
      ++count;
    }
  }
  return count > 0 ? sum / count : 0;
}

// Mean squared difference of a's inner part (kCompareReach in from every edge) and b moved by
// dx, dy; with every offset over the same pixels of a, the differences compare fairly.
double MeanSquaredDifference(const Plane& a, const Plane& b, int dx, int dy) {
  double sum = 0;
  int count = 0;
  for (int y = kCompareReach; y < a.Height - kCompareReach; ++y) {
    for (int x = kCompareReach; x < a.Width - kCompareReach; ++x) {
      const double difference = a.At(x, y) - b.At(x + dx, y + dy);
      sum += difference * difference;
      ++count;
    }
  }
  return count > 0 ? sum / count : 0;
}

// Where the minimum of the parabola through (-1, before), (0, at), (1, after) lies, within
// half a pixel of 0.
double ParabolaMinimum(double before, double at, double after) {
  const double curvature = before - 2 * at + after;
  if (curvature <= 0) return before < after ? -0.5 : 0.5;
  return std::clamp((before - after) / (2 * curvature), -0.5, 0.5);
}

double RootMeanSquare(const Plane& a, const Plane& b) {
  return std::sqrt(MeanSquaredDifference(a, b, 0, 0));
}

// The mean turn of b's colours against a's, in degrees, each pixel counting by how coloured
// it is: a hue grade turns them all one way, a new encoding none. Nothing to turn (0) in a
// picture with too little colour to tell.
double HueTurn(const ColourPlanes& a, const ColourPlanes& b) {
  double cross = 0, dot = 0, strength = 0;
  int count = 0;
  for (int y = kCompareReach; y < a.Luma.Height - kCompareReach; ++y) {
    for (int x = kCompareReach; x < a.Luma.Width - kCompareReach; ++x) {
      const double blueA = a.BlueDifference.At(x, y) - 128.0;
      const double redA = a.RedDifference.At(x, y) - 128.0;
      const double blueB = b.BlueDifference.At(x, y) - 128.0;
      const double redB = b.RedDifference.At(x, y) - 128.0;
      cross += blueA * redB - redA * blueB;
      dot += blueA * blueB + redA * redB;
      strength += blueA * blueA + redA * redA;
      ++count;
    }
  }
  if (count == 0 || strength / count < kLeastColourToTurn * kLeastColourToTurn) return 0;
  return std::atan2(cross, dot) * 180 / std::numbers::pi;
}

}  // namespace

std::string PixelDistance::Text() const {
  char text[192];
  std::snprintf(text, sizeof text,
                "offset %d %d (%.2f %.2f), steepness %.1f, grey %.1f, colour %.1f, mean grey "
                "%.1f, mean colour %.1f, hue %.1f",
                BestX, BestY, OffsetX, OffsetY, Steepness, GreyDifference, ColourDifference,
                GreyShift, ColourShift, HueTurn);
  return text;
}

PixelDistance ComparePixels(const Bitmap24& a, const Bitmap24& b) {
  const auto [width, height] = CompareSize(a, b);
  const ColourPlanes first = ReducedPlanes(a, width, height);
  const ColourPlanes second = ReducedPlanes(b, width, height);
  PixelDistance distance;
  // Too small to line up (a line or an icon): never steep, so never the same picture.
  if (width <= 2 * kCompareReach + 2 || height <= 2 * kCompareReach + 2) return distance;
  std::array<std::array<double, kSpan>, kSpan> differences{};
  double least = std::numeric_limits<double>::infinity();
  for (int dy = -kCompareReach; dy <= kCompareReach; ++dy) {
    for (int dx = -kCompareReach; dx <= kCompareReach; ++dx) {
      const double difference = MeanSquaredDifference(first.Luma, second.Luma, dx, dy);
      differences[dy + kCompareReach][dx + kCompareReach] = difference;
      if (difference < least) {
        least = difference;
        distance.BestX = dx;
        distance.BestY = dy;
      }
    }
  }
  auto at = [&](int dx, int dy) { return differences[dy + kCompareReach][dx + kCompareReach]; };
  const int bx = distance.BestX;
  const int by = distance.BestY;
  distance.OffsetX = bx;
  distance.OffsetY = by;
  if (std::abs(bx) < kCompareReach) {
    distance.OffsetX += ParabolaMinimum(at(bx - 1, by), at(bx, by), at(bx + 1, by));
  }
  if (std::abs(by) < kCompareReach) {
    distance.OffsetY += ParabolaMinimum(at(bx, by - 1), at(bx, by), at(bx, by + 1));
  }
  const double centre = at(0, 0);
  const double nearest = std::min({at(-1, 0), at(1, 0), at(0, -1), at(0, 1)});
  // A floor of a tenth of a level keeps two exact copies (centre 0) from dividing by zero.
  distance.Steepness = nearest / std::max(centre, 0.01);
  distance.GreyDifference = std::sqrt(centre);
  distance.ColourDifference =
      std::hypot(RootMeanSquare(first.BlueDifference, second.BlueDifference),
                 RootMeanSquare(first.RedDifference, second.RedDifference));
  distance.GreyShift = std::abs(MeanDifference(first.Luma, second.Luma));
  distance.HueTurn = HueTurn(first, second);
  distance.ColourShift = std::hypot(MeanDifference(first.BlueDifference, second.BlueDifference),
                                    MeanDifference(first.RedDifference, second.RedDifference));
  return distance;
}

bool SamePixels(const PixelDistance& distance, int smallerLongSide) {
  const bool thumbnail = smallerLongSide <= kThumbnailLongSide;
  const double maxOffset = thumbnail ? kMaxThumbnailOffset : kMaxOffset;
  const double minSteepness = thumbnail ? kMinThumbnailSteepness : kMinSteepness;
  return distance.BestX == 0 && distance.BestY == 0 && std::abs(distance.OffsetX) <= maxOffset &&
         std::abs(distance.OffsetY) <= maxOffset && distance.Steepness >= minSteepness &&
         distance.GreyDifference <= kMaxGreyDifference &&
         distance.ColourDifference <= kMaxColourDifference && distance.GreyShift <= kMaxGreyShift &&
         distance.ColourShift <= kMaxColourShift && std::abs(distance.HueTurn) <= kMaxHueTurn;
}

}  // namespace vexilo
