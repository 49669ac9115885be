#include <gtest/gtest.h>

#include "PictureCompare.h"
#include "pictures/BmpWriter.h"
#include "pictures/ThumbnailMaker.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

// Bitmaps of different sizes and colours, a missing file and a broken one, more entries
// than the workers may run ahead: every result arrives in list order with its own outcome.
TEST(ThumbnailMakerTest, ResultsComeInListOrderWithAFailurePerEntry) {
  test::TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 150; ++i) {
    std::string path = (dir / ("p" + std::to_string(i) + ".bmp")).string();
    if (i % 7 == 3) {
      test::WriteFileBytes(path, "BM broken");
    } else if (i % 7 != 5) {
      Bitmap24 picture(10 + i, 30);
      picture.Fill(static_cast<std::uint32_t>(i) * 0x010203);
      WriteBmp(picture, path);
    }
    paths.push_back(path);
  }
  ThumbnailMaker maker(paths, test::kFace, 3);
  ASSERT_EQ(maker.Count(), 150);
  for (int i = 0; i < 150; ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(maker.NextIndex(), i);
    ThumbnailResult result = maker.Next();
    if (i % 7 == 3 || i % 7 == 5) {
      EXPECT_FALSE(result.Ok());
      EXPECT_NE(result.Error.find(paths[static_cast<size_t>(i)]), std::string::npos)
          << result.Error;
    } else {
      ASSERT_TRUE(result.Ok()) << result.Error;
      EXPECT_TRUE(result.Thumbnail.Unpack() ==
                  MakeFileThumbnail(paths[static_cast<size_t>(i)], test::kFace));
    }
  }
  EXPECT_TRUE(maker.NextReady());
  EXPECT_THROW(maker.Next(), std::out_of_range);
}

TEST(ThumbnailMakerTest, StopsWhenDroppedEarly) {
  test::TempDir dir;
  Bitmap24 picture(300, 200);
  WriteBmp(picture, dir / "a.bmp");
  std::vector<std::string> paths(500, (dir / "a.bmp").string());
  {
    ThumbnailMaker maker(paths, test::kFace);
    EXPECT_TRUE(maker.Next().Ok());
  }
  ThumbnailMaker empty({}, test::kFace);
  EXPECT_EQ(empty.Count(), 0);
  EXPECT_TRUE(empty.NextReady());
}

// A budget of one picture's pixels lets one decode run at a time whatever the threads, and a
// picture larger than the whole budget is still read, alone.
TEST(ThumbnailMakerTest, DecodesHoldTheirPixelsFromTheBudget) {
  test::TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 12; ++i) {
    std::string path = (dir / ("p" + std::to_string(i) + ".bmp")).string();
    WriteBmp(Bitmap24(400, 250), path);
    paths.push_back(path);
  }
  WriteBmp(Bitmap24(500, 500), dir / "large.bmp");
  paths.insert(paths.begin() + 6, (dir / "large.bmp").string());
  DecodeBudget budget(400 * 250);
  {
    ThumbnailMaker maker(paths, test::kFace, 4, budget);
    for (int i = 0; i < maker.Count(); ++i) EXPECT_TRUE(maker.Next().Ok()) << i;
  }
  EXPECT_EQ(budget.PeakHeld(), 500 * 500);
  EXPECT_EQ(budget.Held(), 0);
}

}  // namespace
}  // namespace vexilo
