#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "pictures/DecodePicture.h"
#include "pictures/PictureError.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::TestData;

void ExpectRefused(const std::filesystem::path& file, const std::string& textPart) {
  try {
    Bitmap24 bitmap = DecodePicture(file);
    ADD_FAILURE() << file << " decoded as " << bitmap.Width() << "x" << bitmap.Height();
  } catch (const PictureError& error) {
    EXPECT_NE(std::string(error.what()).find(textPart), std::string::npos) << error.what();
  }
}

// Empty files, and files cut at a quarter, half and three quarters of their length.
TEST(DecodeFailureTest, EmptyAndTruncatedFilesAreRefused) {
  test::TempDir dir;
  for (std::string source :
       {"libjpeg-turbo-testimages/testorig.jpg",
        "imagetestsuite/jpg/316be81dfdeeb942e904feb3a77f4f83.jpg", "giflib-pic/pic/porsche.gif",
        "giflib-pic/pic/treescap-interlaced.gif", "bmpsuite/g/rgb24.bmp", "bmpsuite/g/pal8rle.bmp",
        "bmpsuite/g/pal4rle.bmp", "bmpsuite/g/rgb16-565.bmp", "bmpsuite/g/pal1.bmp"}) {
    SCOPED_TRACE(source);
    std::string bytes = test::ReadFileBytes(TestData(source));
    ASSERT_GT(bytes.size(), 100u);
    std::string extension = std::filesystem::path(source).extension().string();
    std::filesystem::path cut = dir / ("cut" + extension);
    for (size_t length : {size_t{0}, bytes.size() / 4, bytes.size() / 2, bytes.size() * 3 / 4}) {
      SCOPED_TRACE(length);
      test::WriteFileBytes(cut, bytes.substr(0, length));
      ExpectRefused(cut, cut.string());
    }
  }
}

TEST(DecodeFailureTest, ContentsMustMatchTheName) {
  test::TempDir dir;
  std::string png = test::ReadFileBytes(TestData("bmpsuite/html/pal1.png"));
  std::string jpeg = test::ReadFileBytes(TestData("libjpeg-turbo-testimages/testorig.jpg"));
  test::WriteFileBytes(dir / "png.bmp", png);
  test::WriteFileBytes(dir / "jpeg.gif", jpeg);
  test::WriteFileBytes(dir / "jpeg.png", jpeg);
  test::WriteFileBytes(dir / "png.jpg", png);
  ExpectRefused(dir / "png.bmp", "not a Windows bitmap");
  ExpectRefused(dir / "jpeg.gif", "GIF");
  ExpectRefused(dir / "jpeg.png", "PNG");
  ExpectRefused(dir / "png.jpg", "Not a JPEG file");
}

TEST(DecodeFailureTest, MissingFilesFoldersAndPipesAreRefused) {
  test::TempDir dir;
  std::filesystem::create_directory(dir / "e.bmp");
  ExpectRefused(dir / "e.bmp", "is a folder");
  ASSERT_EQ(::mkfifo((dir / "pipe.jpg").c_str(), 0600), 0);
  ExpectRefused(dir / "pipe.jpg", "is not a picture file");
  for (const char* name : {"none.jpg", "none.gif", "none.bmp"}) ExpectRefused(dir / name, name);
}

// Headers that claim gigapixels in a few hundred bytes are refused before any allocation.
TEST(DecodeFailureTest, AbsurdSizesAreRefused) {
  ExpectRefused(TestData("imagetestsuite/jpg/6903d4538fd33c8fd0ded32cb30d618e.jpg"),
                "49157 x 27397");
  ExpectRefused(TestData("bmpsuite/b/reallybig.bmp"), "3000000 x 2000000");
}

}  // namespace
}  // namespace vexilo
