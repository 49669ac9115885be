// The pieces of the thumbnail store and cache: packed bitmaps come back the same, PNG text
// survives a round trip and bad streams, and shrinking averages.

#include <gtest/gtest.h>

#include "pictures/PackedBitmap.h"
#include "pictures/PictureError.h"
#include "pictures/PngDecoder.h"
#include "pictures/PngText.h"
#include "pictures/PngWriter.h"
#include "pictures/ShrinkBitmap.h"
#include "pictures/Thumbnail.h"

namespace vexilo {
namespace {

TEST(PackedBitmapTest, UnpacksToTheSameBitmapAndPacksFlatAreasSmall) {
  for (auto [width, height] : {std::pair{80, 80}, std::pair{7, 3}, std::pair{1, 1}}) {
    Bitmap24 bitmap(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x)
        bitmap.SetPixel(x, y, static_cast<std::uint32_t>(x * 7919 + y * 104729) & 0xFFFFFF);
    }
    EXPECT_TRUE(PackedBitmap(bitmap).Unpack() == bitmap) << width;
  }
  Bitmap24 flat(100, 100);
  flat.Fill(0xC0C0C0);
  const PackedBitmap thumbnail(MakeThumbnail(flat, 0xD4D0C8));
  EXPECT_LT(thumbnail.PackedBytes(), 1000u);
  EXPECT_TRUE(PackedBitmap().Unpack().Empty());
}

TEST(PngWriterTest, WritesThePixelsItIsGivenInTheirPlaces) {
  for (auto [width, height] : {std::pair{128, 96}, std::pair{1, 1}, std::pair{3, 7}}) {
    Bitmap24 pixels(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x)
        pixels.SetPixel(x, y, static_cast<std::uint32_t>(x * 0x010203 + y * 0x300000) & 0xFFFFFF);
    }
    pixels.SetPixel(0, 0, 0xFF0000);  // red stays red: no swap of the channels
    EXPECT_TRUE(DecodePngBytes(EncodePng(pixels), "test.png") == pixels) << width;
  }
  EXPECT_THROW(EncodePng(Bitmap24()), PictureError);
}

TEST(PngTextTest, TextsRoundTripAndBrokenStreamsGiveNone) {
  Bitmap24 pixels(4, 2);
  const std::string png = WithPngText(EncodePng(pixels), {{"Thumb::URI", "file:///a"}, {"K", ""}});
  EXPECT_EQ(ReadPngText(png),
            (std::map<std::string, std::string>{{"Thumb::URI", "file:///a"}, {"K", ""}}));
  struct Case {
    const char* name;
    std::string bytes;
  };
  std::string hugeLength = png;
  hugeLength[33] = '\x7F';  // the first tEXt chunk claims 2 GB
  for (const Case& c :
       {Case{"empty", ""}, Case{"signature only", png.substr(0, 8)},
        Case{"cut in a chunk", png.substr(0, 40)}, Case{"huge length", hugeLength}}) {
    EXPECT_TRUE(ReadPngText(c.bytes).empty()) << c.name;
  }
  EXPECT_THROW(WithPngText("not a png", {}), std::invalid_argument);
  EXPECT_THROW(WithPngText(png, {{"", "x"}}), std::invalid_argument);
}

TEST(ShrinkBitmapTest, FitsTheLongSideAndAveragesWhatEachPixelCovers) {
  Bitmap24 checks(300, 100);
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 300; ++x) checks.SetPixel(x, y, (x + y) % 2 ? 0xFFFFFF : 0);
  }
  const Bitmap24 shrunk = ShrinkToFit(checks, 128);
  EXPECT_EQ(shrunk.Width(), 128);
  EXPECT_EQ(shrunk.Height(), 43);
  const std::uint32_t grey = shrunk.Pixel(64, 20) & 0xFF;
  EXPECT_GE(grey, 100u);
  EXPECT_LE(grey, 155u);
  EXPECT_TRUE(ShrinkToFit(checks, 300) == checks);
  EXPECT_EQ(ShrinkToFit(Bitmap24(1000, 1), 128).Height(), 1);
}

}  // namespace
}  // namespace vexilo
