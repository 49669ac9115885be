#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PictureCompare.h"
#include "pictures/DecodePicture.h"
#include "pictures/ExifOrientation.h"
#include "pictures/ImageFileList.h"
#include "pictures/PictureError.h"
#include "pictures/PictureReading.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

PictureReading Reading(bool modernKinds, bool exifOrientation) {
  PictureReading reading;
  reading.ModernKinds = modernKinds;
  reading.ExifOrientation = exifOrientation;
  return reading;
}

TEST(PictureReadingTest, ModernKindsAreListedOnlyWhenOn) {
  test::TempDir dir;
  for (const char* name : {"a.PNG", "b.webp", "c.avif", "d.jpg", "e.tif"}) {
    test::WriteFileBytes(dir / name, "x");
  }
  const std::string folder = dir.Path().string() + "/";
  TImageFileList list;
  {
    ScopedPictureReading reading(Reading(false, true));
    list.ScanFolder(dir.Path().string());
    EXPECT_EQ(list.Paths(), std::vector<std::string>{folder + "d.jpg"});
  }
  {
    ScopedPictureReading reading(Reading(true, true));
    list.ScanFolder(dir.Path().string());
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{folder + "a.PNG", folder + "b.webp",
                                                      folder + "c.avif", folder + "d.jpg"}));
  }
  EXPECT_FALSE(CurrentPictureReading().ModernKinds);
}

TEST(PictureReadingTest, ModernKindsDecodeAFileByItsBytes) {
  test::TempDir dir;
  struct Case {
    const char* source;
    const char* copy;
  };
  const std::vector<Case> cases = {{"rgb.png", "png.jpg"},
                                   {"lossy.webp", "webp.bmp"},
                                   {"photo.avif", "avif.gif"},
                                   {"orient3.jpg", "jpeg.png"},
                                   {"alpha.webp", "webp.avif"}};
  for (const Case& c : cases)
    test::WriteFileBytes(dir / c.copy, test::ReadFileBytes(test::PictureData(c.source)));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.copy);
    {
      ScopedPictureReading reading(Reading(false, true));
      EXPECT_THROW(DecodePicture(dir / c.copy), PictureError);
    }
    ScopedPictureReading reading(Reading(true, true));
    Bitmap24 bitmap = DecodePicture(dir / c.copy);
    EXPECT_EQ(bitmap.Width(), 96);
    EXPECT_EQ(bitmap.Height(), 64);
    EXPECT_EQ(DecodeReducedPicture(dir / c.copy, 32).FullWidth, 96);
  }
  // Bytes of no known kind still go to the decoder the name asks for.
  ScopedPictureReading reading(Reading(true, true));
  test::WriteFileBytes(dir / "text.jpg", "not a picture at all, only some words");
  try {
    DecodePicture(dir / "text.jpg");
    ADD_FAILURE() << "text decoded";
  } catch (const PictureError& error) {
    EXPECT_NE(std::string(error.what()).find("JPEG"), std::string::npos) << error.what();
  }
}

// Stored pixels 0..5 in a 3 x 2 picture; each orientation as it is shown.
TEST(PictureReadingTest, EachOrientationTurnsOrFlipsThePicture) {
  const std::vector<std::vector<std::vector<int>>> shown = {
      {{0, 1, 2}, {3, 4, 5}},   {{2, 1, 0}, {5, 4, 3}},   {{5, 4, 3}, {2, 1, 0}},
      {{3, 4, 5}, {0, 1, 2}},   {{0, 3}, {1, 4}, {2, 5}}, {{3, 0}, {4, 1}, {5, 2}},
      {{5, 2}, {4, 1}, {3, 0}}, {{2, 5}, {1, 4}, {0, 3}}};
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(orientation);
    Bitmap24 picture(3, 2);
    for (int i = 0; i < 6; ++i) picture.SetPixel(i % 3, i / 3, static_cast<std::uint32_t>(i));
    OrientPicture(picture, orientation);
    const auto& rows = shown[static_cast<size_t>(orientation - 1)];
    ASSERT_EQ(picture.Height(), static_cast<int>(rows.size()));
    ASSERT_EQ(picture.Width(), static_cast<int>(rows[0].size()));
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        EXPECT_EQ(picture.Pixel(x, y), static_cast<std::uint32_t>(rows[y][x])) << x << "," << y;
      }
    }
  }
}

TEST(PictureReadingTest, ExifOrientationTurnsJpegsAndTheirFullSize) {
  Bitmap24 stored6, stored3;
  {
    ScopedPictureReading reading(Reading(false, false));
    stored6 = DecodePicture(test::PictureData("orient6.jpg"));
    stored3 = DecodePicture(test::PictureData("orient3.jpg"));
    EXPECT_EQ(DecodeReducedPicture(test::PictureData("orient6.jpg"), 32).FullWidth, 96);
  }
  ASSERT_EQ(stored6.Width(), 96);
  ASSERT_EQ(stored6.Height(), 64);
  ScopedPictureReading reading(Reading(false, true));
  Bitmap24 turned6 = DecodePicture(test::PictureData("orient6.jpg"));
  Bitmap24 turned3 = DecodePicture(test::PictureData("orient3.jpg"));
  ASSERT_EQ(turned6.Width(), 64);
  ASSERT_EQ(turned6.Height(), 96);
  ASSERT_EQ(turned3.Width(), 96);
  ASSERT_EQ(turned3.Height(), 64);
  // 6: a quarter turn clockwise; 3: a half turn.
  EXPECT_EQ(turned6.Pixel(63, 0), stored6.Pixel(0, 0));
  EXPECT_EQ(turned6.Pixel(0, 95), stored6.Pixel(95, 63));
  EXPECT_EQ(turned6.Pixel(10, 20), stored6.Pixel(20, 53));
  EXPECT_EQ(turned3.Pixel(0, 0), stored3.Pixel(95, 63));
  EXPECT_EQ(turned3.Pixel(10, 20), stored3.Pixel(85, 43));

  ReducedPicture reduced = DecodeReducedPicture(test::PictureData("orient6.jpg"), 32);
  EXPECT_EQ(reduced.FullWidth, 64);
  EXPECT_EQ(reduced.FullHeight, 96);
  EXPECT_EQ(reduced.Pixels.Width(), 32);
  EXPECT_EQ(reduced.Pixels.Height(), 48);
}

TEST(PictureReadingTest, OrientationReaderSurvivesHostileSegments) {
  using namespace std::string_literals;
  const std::string jpeg = test::ReadFileBytes(test::PictureData("orient6.jpg"));
  EXPECT_EQ(ReadExifOrientation(jpeg), 6);
  EXPECT_EQ(ReadExifOrientation(test::ReadFileBytes(test::PictureData("orient3.jpg"))), 3);
  // The segment as exif-orientation.py writes it: FF E1, length, "Exif\0\0", then TIFF.
  const std::string tiff = jpeg.substr(12, 26);
  ASSERT_EQ(tiff.substr(0, 4), "MM\0\x2A"s);
  auto withTiff = [&](const std::string& body) {
    const size_t length = body.size() + 8;
    return "\xFF\xD8\xFF\xE1"s + static_cast<char>(length >> 8) + static_cast<char>(length) +
           "Exif\0\0"s + body + "\xFF\xDA"s;
  };
  EXPECT_EQ(ReadExifOrientation(withTiff(tiff)), 6);
  std::string farIfd = tiff;
  farIfd.replace(4, 4, "\x7F\xFF\xFF\xF0"s);
  // Entries counted past the end, none of them the orientation.
  std::string manyEntries = tiff;
  manyEntries.replace(8, 4, "\xFF\xFF\x01\x11"s);
  std::string badValue = tiff;
  badValue[19] = 9;
  std::string wrongType = tiff;
  wrongType[13] = 4;
  for (const std::string& bad :
       {withTiff(farIfd), withTiff(manyEntries), withTiff(badValue), withTiff(wrongType),
        withTiff(tiff.substr(0, 15)), jpeg.substr(0, 30), "\xFF\xD8\xFF\xE1\xFF\xFF"s, ""s}) {
    EXPECT_EQ(ReadExifOrientation(bad), 1);
  }
}

}  // namespace
}  // namespace vexilo
