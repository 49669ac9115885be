#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "TestJpeg.h"
#include "pictures/DecodePicture.h"
#include "pictures/PictureError.h"
#include "pictures/Thumbnail.h"
#include "pictures/ThumbnailCache.h"
#include "pictures/ThumbnailMaker.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

std::string Le16(int value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}
std::string Le32(int value) { return Le16(value & 0xFFFF) + Le16(value >> 16); }

// 35 bytes: a 1 x 1 image, two colours, on a square logical screen of side x side.
std::string GifBomb(int side) {
  return "GIF89a" + Le16(side) + Le16(side) + std::string("\x80\x00\x00", 3) +
         std::string("\x00\x00\x00\xFF\xFF\xFF", 6) +
         std::string("\x2C\0\0\0\0\x01\0\x01\0\0", 10) + std::string("\x02\x02\x44\x01\x00\x3B", 6);
}

// 60 bytes: an RLE8 bitmap of side x side whose data ends at once (all black).
std::string RleBomb(int side) {
  std::string info = Le32(40) + Le32(side) + Le32(side) + Le16(1) + Le16(8) + Le32(1) + Le32(2) +
                     Le32(0) + Le32(0) + Le32(1) + Le32(0);
  std::string palette("\0\0\0\0", 4);
  std::string data("\x00\x01", 2);
  int size = 14 + 40 + 4 + 2;
  return "BM" + Le32(size) + Le32(0) + Le32(14 + 40 + 4) + info + palette + data;
}

void ExpectBombRefused(const std::filesystem::path& file) {
  DecodeBudget budget(DecodeBudget::kSharedPixels);
  try {
    MakeFileThumbnail(file, 0xC0C0C0, budget);
    ADD_FAILURE() << file << " was read";
  } catch (const PictureError& error) {
    EXPECT_NE(std::string(error.what()).find("cannot come from a file of"), std::string::npos)
        << error.what();
  }
  // Refused from the header: nothing was asked of the budget, so nothing was allocated.
  EXPECT_EQ(budget.PeakHeld(), 0);
  EXPECT_THROW(DecodePicture(file), PictureError);
}

TEST(PictureBombTest, TinyFilesWithHugeScreensAreRefusedBeforeAllocating) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "bomb.gif", GifBomb(10000));
  ASSERT_EQ(std::filesystem::file_size(dir / "bomb.gif"), 35u);
  ExpectBombRefused(dir / "bomb.gif");

  test::WriteFileBytes(dir / "bomb.bmp", RleBomb(5000));
  ExpectBombRefused(dir / "bomb.bmp");

  // A small real JPEG whose frame header claims 8000 x 8000.
  Bitmap24 picture(16, 16);
  picture.Fill(0x808080);
  test::WriteJpeg(dir / "small.jpg", picture, 90);
  std::string jpeg = test::ReadFileBytes(dir / "small.jpg");
  std::size_t frame = jpeg.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  jpeg.replace(frame + 5, 4, std::string("\x1F\x40\x1F\x40", 4));
  test::WriteFileBytes(dir / "bomb.jpg", jpeg);
  ExpectBombRefused(dir / "bomb.jpg");
}

// Up to the floor the file's size does not matter. A thumbnail's decode never holds the
// screen: it pays for its sums and a few rows, and looks as one from the full screen does.
TEST(PictureBombTest, AScreenUpToTheFloorIsReadWithoutHoldingItsPixels) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "screen.gif", GifBomb(4000));
  DecodeBudget budget(DecodeBudget::kSharedPixels);
  Bitmap24 thumbnail = MakeFileThumbnail(dir / "screen.gif", 0xC0C0C0, budget);
  EXPECT_TRUE(thumbnail == MakeThumbnail(DecodePicture(dir / "screen.gif"), 0xC0C0C0));
  EXPECT_GT(budget.PeakHeld(), 0);
  EXPECT_LT(budget.PeakHeld(), 4000 * 4000 / 50);
  EXPECT_EQ(budget.Held(), 0);
}

struct FitCase {
  std::int64_t Width;
  std::int64_t Height;
  std::uintmax_t FileBytes;
  bool Fits;
};

TEST(PictureBombTest, PixelsPastTheFloorNeedOneFileBytePer4096) {
  for (FitCase row : {FitCase{4000, 4000, 1, true},     // at the floor: any file
                      FitCase{5000, 4000, 4883, true},  // 20 M pixels need 4883 bytes
                      FitCase{5000, 4000, 4882, false}, FitCase{10000, 10000, 35, false},
                      FitCase{10000, 10000, 24415, true}}) {
    SCOPED_TRACE(std::to_string(row.Width) + " x " + std::to_string(row.Height) + ", " +
                 std::to_string(row.FileBytes) + " bytes");
    EXPECT_EQ(PictureSizeFitsFile(row.Width, row.Height, row.FileBytes), row.Fits);
  }
}

// A reduced baseline decode holds only its small output; a progressive one also holds the
// whole picture's coefficients, which libjpeg keeps at full size.
TEST(PictureBombTest, AJpegDecodePaysForWhatLibjpegKeeps) {
  test::TempDir dir;
  Bitmap24 picture(512, 512);
  picture.Fill(0x336699);
  test::WriteJpeg(dir / "baseline.jpg", picture, 90);
  test::WriteProgressiveJpeg(dir / "progressive.jpg", picture);

  DecodeBudget baseline(DecodeBudget::kSharedPixels);
  MakeFileThumbnail(dir / "baseline.jpg", 0xC0C0C0, baseline);
  EXPECT_EQ(baseline.PeakHeld(), kNormalThumbnailSide * kNormalThumbnailSide);  // decoded at 1/4

  DecodeBudget progressive(DecodeBudget::kSharedPixels);
  MakeFileThumbnail(dir / "progressive.jpg", 0xC0C0C0, progressive);
  EXPECT_GE(progressive.PeakHeld(), 512 * 512);
}

}  // namespace
}  // namespace vexilo
