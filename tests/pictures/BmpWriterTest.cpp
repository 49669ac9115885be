#include <gtest/gtest.h>

#include <QImage>

#include "PictureCompare.h"
#include "core/Errors.h"
#include "pictures/BmpWriter.h"
#include "pictures/DecodePicture.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

std::uint32_t LittleEndianAt(const std::string& bytes, size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) {
    value = value << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<size_t>(i)]);
  }
  return value;
}

// Widths 1 to 5 cover every amount of row padding.
TEST(BmpWriterTest, RoundTripKeepsEveryPixel) {
  test::TempDir dir;
  for (int width = 1; width <= 5; ++width) {
    SCOPED_TRACE(width);
    Bitmap24 picture(width, 3);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < width; ++x) picture.SetPixel(x, y, 0x102030u * (x + 1) + 0x050000u * y);
    }
    WriteBmp(picture, dir / "out.bmp");
    EXPECT_TRUE(DecodePicture(dir / "out.bmp") == picture);

    std::string bytes = test::ReadFileBytes(dir / "out.bmp");
    size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    ASSERT_EQ(bytes.size(), 54 + stride * 3);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(LittleEndianAt(bytes, 2, 4), bytes.size());
    EXPECT_EQ(LittleEndianAt(bytes, 10, 4), 54u);
    EXPECT_EQ(LittleEndianAt(bytes, 14, 4), 40u);
    EXPECT_EQ(LittleEndianAt(bytes, 22, 4), 3u);  // positive height: bottom-up
    EXPECT_EQ(LittleEndianAt(bytes, 28, 2), 24u);
    EXPECT_EQ(LittleEndianAt(bytes, 30, 4), 0u);
    // Another reader agrees.
    QImage other(QString::fromStdString((dir / "out.bmp").string()));
    EXPECT_EQ(test::DifferenceFrom(picture, other, 0), "");
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "out.bmp.tmp"));
}

TEST(BmpWriterTest, UnwritableFolderIsAFileError) {
  test::TempDir dir;
  EXPECT_THROW(WriteBmp(Bitmap24(2, 2), dir / "missing" / "out.bmp"), FileError);
}

}  // namespace
}  // namespace vexilo
