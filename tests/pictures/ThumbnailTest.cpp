#include <gtest/gtest.h>

#include <set>

#include "PictureCompare.h"
#include "TestJpeg.h"
#include "pictures/DecodePicture.h"
#include "pictures/JpegDecoder.h"
#include "pictures/Thumbnail.h"
#include "pictures/ThumbnailMaker.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kGrey = 0x808080;
constexpr std::uint32_t kPicture = 0x123456;

struct Case {
  int width, height;
  ThumbnailLayout layout;
};

void PrintTo(const Case& row, std::ostream* out) { *out << row.width << "x" << row.height; }

// The colour a bevel gives (x, y), if any: top and left in `first`, bottom and right in
// `second`, each line without its end pixel.
bool OnBevel(int x, int y, int bx, int by, int a, int b, std::uint32_t first, std::uint32_t second,
             std::uint32_t& colour) {
  if (y == by && x > bx && x <= bx + a) return colour = first, true;
  if (x == bx && y >= by && y < by + b) return colour = first, true;
  if (y == by + b && x >= bx && x < bx + a) return colour = second, true;
  if (x == bx + a && y > by && y <= by + b) return colour = second, true;
  return false;
}

class ThumbnailGeometryTest : public testing::TestWithParam<Case> {};

TEST_P(ThumbnailGeometryTest, LayoutIsTheFixedGeometry) {
  EXPECT_EQ(LayoutThumbnail(GetParam().width, GetParam().height), GetParam().layout);
}

TEST_P(ThumbnailGeometryTest, EveryPixelOfTheCellIsRight) {
  const Case& row = GetParam();
  Bitmap24 picture(row.width, row.height);
  picture.Fill(kPicture);
  Bitmap24 thumbnail = MakeThumbnail(picture, test::kFace);
  ASSERT_EQ(thumbnail.Width(), 80);
  ASSERT_EQ(thumbnail.Height(), 80);
  const ThumbnailLayout& l = row.layout;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 80; ++x) {
      std::uint32_t expected = test::kFace;
      std::uint32_t colour = 0;
      if (OnBevel(x, y, 0, 0, 79, 79, kWhite, kGrey, colour)) expected = colour;
      if (OnBevel(x, y, l.BevelX, l.BevelY, l.BevelWidth, l.BevelHeight, kGrey, kWhite, colour)) {
        expected = colour;
      }
      if (x >= l.Left && x < l.Right && y >= l.Top && y < l.Bottom) expected = kPicture;
      ASSERT_EQ(thumbnail.Pixel(x, y), expected) << "at " << x << ", " << y;
    }
  }
}

// At a device pixel ratio the cell is the 80 x 80 one enlarged: each of its pixels becomes a
// block of that colour, so bevels and frame line up with the enlarged thumbnail's.
TEST_P(ThumbnailGeometryTest, SharpCellIsTheCellEnlarged) {
  const Case& row = GetParam();
  Bitmap24 picture(row.width, row.height);
  picture.Fill(kPicture);
  const Bitmap24 cell = MakeThumbnail(picture, test::kFace);
  EXPECT_EQ(MakeSharpThumbnail(picture, row.width, row.height, test::kFace, 1), cell);
  for (double ratio : {1.25, 1.5, 2.0, 3.0}) {
    SCOPED_TRACE(ratio);
    const Bitmap24 sharp = MakeSharpThumbnail(picture, row.width, row.height, test::kFace, ratio);
    ASSERT_EQ(sharp.Width(), static_cast<int>(80 * ratio));
    ASSERT_EQ(sharp.Height(), sharp.Width());
    const bool whole = ratio == static_cast<int>(ratio);
    for (int y = 0; y < sharp.Height(); ++y) {
      for (int x = 0; x < sharp.Width(); ++x) {
        // Between whole ratios a block is one pixel wider or narrower; its middle is sure.
        const int cx = static_cast<int>(x / ratio);
        const int cy = static_cast<int>(y / ratio);
        const bool middle =
            static_cast<int>((cx + 0.5) * ratio) == x && static_cast<int>((cy + 0.5) * ratio) == y;
        if (!whole && !middle) continue;
        ASSERT_EQ(sharp.Pixel(x, y), cell.Pixel(cx, cy)) << "at " << x << ", " << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Thumbnail, ThumbnailGeometryTest,
                         testing::Values(Case{200, 100, {7, 23, 64, 33, 8, 24, 71, 56}},
                                         Case{100, 200, {23, 7, 33, 64, 24, 8, 56, 71}},
                                         Case{50, 50, {7, 7, 65, 64, 8, 8, 72, 71}},
                                         Case{1000, 1, {7, 39, 64, 1, 8, 40, 71, 40}},
                                         Case{1, 1000, {39, 7, 1, 64, 40, 8, 40, 71}},
                                         Case{3000, 2000, {7, 18, 64, 43, 8, 19, 71, 61}}));

TEST(ThumbnailTest, CornersOfTheRaisedBevel) {
  Bitmap24 thumbnail = MakeThumbnail(Bitmap24(10, 10), test::kFace);
  EXPECT_EQ(thumbnail.Pixel(0, 0), kWhite);
  EXPECT_EQ(thumbnail.Pixel(79, 0), kWhite);
  EXPECT_EQ(thumbnail.Pixel(0, 79), kGrey);
  EXPECT_EQ(thumbnail.Pixel(79, 79), kGrey);
}

// Enlarging a 2 x 2 picture gives four solid blocks: whole source pixels, no blending.
TEST(ThumbnailTest, StretchKeepsWholeSourcePixels) {
  Bitmap24 picture(2, 2);
  picture.SetPixel(0, 0, 0xFF0000);
  picture.SetPixel(1, 0, 0x00FF00);
  picture.SetPixel(0, 1, 0x0000FF);
  picture.SetPixel(1, 1, 0xFFFF00);
  Bitmap24 thumbnail = MakeThumbnail(picture, test::kFace);
  std::set<std::uint32_t> colours;
  for (int y = 8; y < 71; ++y) {
    for (int x = 8; x < 72; ++x) {
      std::uint32_t expected = picture.Pixel(x < 40 ? 0 : 1, y < 40 ? 0 : 1);
      ASSERT_EQ(thumbnail.Pixel(x, y), expected) << x << ", " << y;
    }
  }
}

// The largest reduction that keeps the long side at least 64 pixels (libjpeg rounds up).
TEST(ThumbnailTest, JpegReductionKeepsTheLongSideAtLeast64) {
  struct Row {
    int width, height, scale;
  };
  for (Row row :
       {Row{3000, 2000, 8}, Row{2000, 3000, 8}, Row{512, 10, 8}, Row{505, 10, 8}, Row{504, 10, 4},
        Row{253, 253, 4}, Row{252, 100, 2}, Row{127, 50, 2}, Row{126, 50, 1}, Row{40, 40, 1}}) {
    SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height));
    EXPECT_EQ(JpegScaleFor(row.width, row.height, 64), row.scale);
  }
}

// A reduced JPEG decode must look like the full-size one: same frames, same colours.
TEST(ThumbnailTest, ReducedJpegGivesTheSameThumbnail) {
  test::TempDir dir;
  Bitmap24 picture(1200, 800);
  for (int y = 0; y < 800; ++y) {
    for (int x = 0; x < 1200; ++x) {
      picture.SetPixel(x, y, (x / 160 % 2 ? 0xE03020 : 0x2050C0) ^ (y / 160 % 2 ? 0x00FF00 : 0));
    }
  }
  test::WriteJpeg(dir / "blocks.jpg", picture, 95);
  Bitmap24 full = MakeThumbnail(DecodePicture(dir / "blocks.jpg"), test::kFace);
  Bitmap24 fast = MakeFileThumbnail(dir / "blocks.jpg", test::kFace);
  auto distance = [](std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift : {0, 8, 16}) {
      d = std::max(
          d, std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)));
    }
    return d;
  };
  long long difference = 0;
  int worst = 0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 80; ++x) {
      difference += distance(full.Pixel(x, y), fast.Pixel(x, y));
      // The reduced picture may move a block edge by a pixel, and blends along it (at most
      // half way between two blocks).
      int nearest = 255;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if (x + dx >= 0 && x + dx < 80 && y + dy >= 0 && y + dy < 80) {
            nearest = std::min(nearest, distance(full.Pixel(x + dx, y + dy), fast.Pixel(x, y)));
          }
        }
      }
      worst = std::max(worst, nearest);
    }
  }
  EXPECT_LT(difference / (80 * 80), 6);
  EXPECT_LE(worst, 128);
}

}  // namespace
}  // namespace vexilo
