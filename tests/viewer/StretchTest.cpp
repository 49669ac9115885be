#include <gtest/gtest.h>

#include <random>

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

// The stretch as first written: one pixel at a time, its steps summed, its edges branched.
void ReferenceStretch(Dib24& dib, const Bitmap24& src, int sx, int sy, int sourceWidth,
                      int sourceHeight) {
  const std::int32_t xStep = ((sourceWidth - 1) * 32768) / dib.Width;
  const std::int32_t yStep = ((sourceHeight - 1) * 32768) / dib.Height;
  std::uint8_t* out = dib.Bits;
  std::int32_t ySource = 0;
  for (std::int32_t row = 0; row < dib.Height; ++row) {
    const std::int32_t iy = ySource >> 15;
    const std::uint8_t* row0 = src.Bits() + static_cast<std::ptrdiff_t>(sy + iy) * src.Stride();
    const std::uint8_t* row1 = iy < sourceHeight - 1 ? row0 + src.Stride() : row0;
    const std::uint32_t fy = static_cast<std::uint32_t>(ySource & 0x7FFF);
    const std::uint32_t gy = 32768 - fy;
    std::int32_t xSource = 0;
    for (std::int32_t column = 0; column < dib.Width; ++column) {
      const std::int32_t ix = xSource >> 15;
      const std::uint8_t* p00 = row0 + 3 * (sx + ix);
      const std::uint8_t* p10 = row1 + 3 * (sx + ix);
      const bool hasRight = ix < sourceWidth - 1;
      const std::uint8_t* p01 = hasRight ? p00 + 3 : p00;
      const std::uint8_t* p11 = hasRight ? p10 + 3 : p10;
      const std::uint32_t fx = static_cast<std::uint32_t>(xSource & 0x7FFF);
      const std::uint32_t w01 = (fx * gy) >> 15;
      const std::uint32_t w00 = gy - w01;
      const std::uint32_t w11 = (fx * fy) >> 15;
      const std::uint32_t w10 = fy - w11;
      for (int byte = 0; byte < 3; ++byte) {
        out[byte] = static_cast<std::uint8_t>(
            (p00[byte] * w00 + p01[byte] * w01 + p10[byte] * w10 + p11[byte] * w11) >> 15);
      }
      out += 3;
      xSource += xStep;
    }
    out += dib.Padding;
    ySource += yStep;
  }
}

TEST(BilinearStretch24, GivesTheFirstLoopsBytesOnOddSizesAndRectangles) {
  std::mt19937 random(7);
  const struct {
    int srcWidth, srcHeight, sx, sy, width, height, outWidth, outHeight;
  } kCases[] = {
      {7, 5, 0, 0, 7, 5, 3, 2},
      {301, 199, 0, 0, 301, 199, 127, 61},
      {3, 1000, 0, 0, 3, 1000, 2, 17},
      {1000, 3, 0, 0, 1000, 3, 999, 2},
      {513, 411, 17, 9, 301, 333, 1023, 777},  // enlarged, from inside, over threads
      {4000, 3000, 0, 0, 4000, 3000, 1921, 1081},
  };
  for (const auto& c : kCases) {
    Bitmap24 src(c.srcWidth, c.srcHeight);
    for (int i = 0; i < c.srcHeight * src.Stride(); ++i) src.Bits()[i] = std::uint8_t(random());
    Dib24 fast, reference;
    fast.Width = reference.Width = c.outWidth;
    fast.Height = reference.Height = c.outHeight;
    CreateDib24(fast);
    CreateDib24(reference);
    BilinearStretch24(fast, src, c.sx, c.sy, c.width, c.height);
    ReferenceStretch(reference, src, c.sx, c.sy, c.width, c.height);
    EXPECT_TRUE(fast.Section == reference.Section) << c.outWidth << " x " << c.outHeight;
  }
  // Straight into a whole target, as the wallpaper stretches, and through a copy into part of
  // one: the same pixels.
  Bitmap24 src(37, 23);
  for (int i = 0; i < 23 * src.Stride(); ++i) src.Bits()[i] = std::uint8_t(random());
  Bitmap24 whole(19, 41);
  StretchBitmapSmooth(whole, 0, 0, 19, 41, src, 0, 0, 37, 23);
  Bitmap24 framed(21, 43);
  StretchBitmapSmooth(framed, 1, 1, 19, 41, src, 0, 0, 37, 23);
  for (int y = 0; y < 41; ++y) {
    for (int x = 0; x < 19; ++x) ASSERT_EQ(whole.Pixel(x, y), framed.Pixel(x + 1, y + 1));
  }
}

}  // namespace
}  // namespace vexilo
