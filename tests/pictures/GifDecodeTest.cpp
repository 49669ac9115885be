#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "CorpusManifest.h"
#include "PictureCompare.h"
#include "pictures/DecodePicture.h"
#include "pictures/PictureError.h"
#include "pictures/ShrinkBitmap.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::TestData;

// Every file of the suite has palette entry 0, RGB 143,188,143, as its background.
constexpr long kBackground = 0x8FBC8F;

// The first frame as the suite's author composed it; transparent pixels show the background.
TEST(GifDecodeTest, FirstFrameMatchesTheSuiteReference) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TestData("gif-test-suite/gifs"))) {
    if (entry.path().extension() != ".gif") continue;
    SCOPED_TRACE(entry.path().filename());
    ++files;
    std::filesystem::path frames = entry.path().parent_path() / "frames";
    std::filesystem::path reference = frames / (entry.path().stem().string() + "-0.png");
    if (!std::filesystem::exists(reference)) {
      reference = frames / (entry.path().stem().string() + ".png");
    }
    Bitmap24 bitmap = DecodePicture(entry.path());
    EXPECT_EQ(test::DifferenceFrom(bitmap, test::LoadReference(reference), 0, kBackground), "");
  }
  EXPECT_EQ(files, 13);
}

TEST(GifDecodeTest, ImageOutsideTheScreenLeavesTheBackground) {
  Bitmap24 bitmap = DecodePicture(
      TestData("gif-test-suite/gifs/animated_transparent_loop_frames_out_of_bounds.gif"));
  ASSERT_EQ(bitmap.Width(), 100);
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) ASSERT_EQ(bitmap.Pixel(x, y), kBackground);
  }
}

// giflib's own renderings, byte for byte; x-trans needs its transparent pixels in the
// background colour.
TEST(GifDecodeTest, SingleImageFilesMatchGiflibsRendering) {
  for (std::string name :
       {"gifgrid", "porsche", "solid2", "treescap", "treescap-interlaced", "x-trans"}) {
    SCOPED_TRACE(name);
    Bitmap24 bitmap = DecodePicture(TestData("giflib-pic/pic/" + name + ".gif"));
    std::string expected = test::ReadFileBytes(TestData("giflib-pic/reference/" + name + ".rgb"));
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(test::RawRgb(bitmap) == expected);
  }
}

TEST(GifDecodeTest, AnimationsGiveTheirScreenSize) {
  EXPECT_EQ(DecodePicture(TestData("giflib-pic/pic/fire.gif")).Width(), 30);
  EXPECT_EQ(DecodePicture(TestData("giflib-pic/pic/fire.gif")).Height(), 60);
  EXPECT_EQ(DecodePicture(TestData("giflib-pic/pic/welcome2.gif")).Width(), 290);
  EXPECT_EQ(DecodePicture(TestData("giflib-pic/pic/welcome2.gif")).Height(), 48);
}

// A file whose first image is complete decodes, whatever follows it; one whose first image
// is broken is refused.
TEST(GifDecodeTest, DamagedFilesDecodeWhenTheirFirstImageIsWhole) {
  auto rows = test::ManifestRows(TestData("imagetestsuite/README.md"), ".gif");
  ASSERT_EQ(rows.size(), 20u);
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    ASSERT_GE(row.size(), 6u);
    bool whole = row[4].rfind("ok", 0) == 0;
    std::filesystem::path file = TestData("imagetestsuite/gif/" + row[0]);
    if (whole) {
      Bitmap24 bitmap = DecodePicture(file);
      EXPECT_EQ(std::to_string(bitmap.Width()) + " x " + std::to_string(bitmap.Height()), row[2]);
    } else {
      EXPECT_THROW(DecodePicture(file), PictureError);
    }
  }
}

// A reduced decode box-filters the screen row by row: it must give exactly what shrinking the
// full decode gives, whatever the frame's place, interlacing, palette or transparency, and
// refuse what the full decode refuses.
TEST(GifDecodeTest, ReducedDecodeIsTheShrunkFullDecode) {
  int files = 0;
  for (const char* folder : {"giflib-pic/pic", "gif-test-suite/gifs", "imagetestsuite/gif"}) {
    for (const auto& entry : std::filesystem::directory_iterator(TestData(folder))) {
      if (entry.path().extension() != ".gif") continue;
      ++files;
      std::optional<Bitmap24> full;
      try {
        full = DecodePicture(entry.path());
      } catch (const PictureError&) {
      }
      for (int side : {1, 7, 40}) {
        SCOPED_TRACE(entry.path().filename().string() + " to " + std::to_string(side));
        if (!full) {
          EXPECT_THROW(DecodeReducedPicture(entry.path(), side), PictureError);
          continue;
        }
        ReducedPicture reduced = DecodeReducedPicture(entry.path(), side);
        EXPECT_EQ(reduced.FullWidth, full->Width());
        EXPECT_EQ(reduced.FullHeight, full->Height());
        EXPECT_TRUE(reduced.Pixels == ShrinkToFit(*full, side));
      }
    }
  }
  EXPECT_EQ(files, 41);
}

}  // namespace
}  // namespace vexilo
