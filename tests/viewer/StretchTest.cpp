#include <gtest/gtest.h>

#include "viewer/stretch.h"

namespace vexilo {
namespace {

// 0xRRGGBB from the picture's top-left.
Bitmap24 Picture(int width, int height, std::initializer_list<std::uint32_t> topDown) {
  Bitmap24 picture(width, height);
  auto colour = topDown.begin();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, *colour++);
  }
  return picture;
}

TEST(CreateDib24, RowsArePaddedToFourBytes) {
  for (const auto& [width, padding, rowLength] :
       {std::tuple{1, 1, 4}, std::tuple{2, 2, 8}, std::tuple{3, 3, 12}, std::tuple{4, 0, 12}}) {
    Dib24 dib;
    dib.Width = width;
    dib.Height = 3;
    CreateDib24(dib);
    EXPECT_EQ(dib.Padding, padding);
    EXPECT_EQ(dib.RowLength, rowLength);
    EXPECT_EQ(dib.RowLength, dib.Section.Stride());
    EXPECT_EQ(dib.Bits, dib.Section.Bits());
  }
}

TEST(BilinearStretch24, TwoByTwoToFourByFourStartsOnTheSourceAndAveragesDownwards) {
  // Bottom row: 10 and 20 (blue), top row: 30 and 41.
  const Bitmap24 src = Picture(2, 2, {0x00001E, 0x000029, 0x00000A, 0x000014});
  Dib24 dib;
  dib.Width = 4;
  dib.Height = 4;
  CreateDib24(dib);
  BilinearStretch24(dib, src, 0, 0, 2, 2);
  const Bitmap24& out = dib.Section;
  EXPECT_EQ(out.Pixel(0, 3), 0x00000Au);  // bottom-left is the source's bottom-left
  EXPECT_EQ(out.Pixel(2, 3), 0x00000Fu);  // (10 + 20) / 2 at fx = 16384
  EXPECT_EQ(out.Pixel(1, 3), 0x00000Cu);  // 10 * 3/4 + 20 * 1/4 = 12.5, rounded down
  // Row 2 from the bottom, column 2: fx = fy = 16384, the mean of all four, rounded down.
  EXPECT_EQ(out.Pixel(2, 1), 0x000019u);  // (10 + 20 + 30 + 41) / 4 = 25.25
  // The last column and row only enter as neighbours: column 3 is still between 0 and 1.
  EXPECT_EQ(out.Pixel(3, 3), 0x000011u);  // 10 + 10 * 3/4 = 17.5
}

TEST(StretchBitmapSmooth, EqualSizesAndThinTargetsAreCopiedPlainly) {
  const Bitmap24 src = Picture(3, 2, {1, 2, 3, 4, 5, 6});
  Bitmap24 same(3, 2);
  StretchBitmapSmooth(same, 0, 0, 3, 2, src, 0, 0, 3, 2);
  EXPECT_EQ(same, src);

  Bitmap24 thin(1, 4);  // below 2 pixels wide: nearest pixels, no blending
  StretchBitmapSmooth(thin, 0, 0, 1, 4, src, 0, 0, 3, 2);
  EXPECT_EQ(thin.Pixel(0, 0), 1u);
  EXPECT_EQ(thin.Pixel(0, 3), 4u);
}

TEST(StretchBitmapSmooth, UpscalesAUniformPictureWithoutChangingItsColour) {
  Bitmap24 src(5, 3);
  src.Fill(0x336699);
  Bitmap24 dest(17, 9);
  StretchBitmapSmooth(dest, 0, 0, 17, 9, src, 0, 0, 5, 3);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 17; ++x) ASSERT_EQ(dest.Pixel(x, y), 0x336699u) << x << "," << y;
  }
}

}  // namespace
}  // namespace vexilo
