// Keeping the largest copy over a restart of the downloads, on real photographs, and a
// signatures file that a kill or a hand cut short.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/LineFile.h"
#include "downloader/LargestCopies.h"
#include "pictures/ThumbnailMaker.h"
#include "support/RealPhotos.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

class LargestCopiesTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::vector<fs::path> photos = test::WallpaperPhotos(2);
    fs::create_directories(mState);
    if (photos.size() < 2 ||
        !test::ConvertPicture(photos[0], "-resize 200x200 -quality 60", Picture("a-200.jpg")) ||
        !test::ConvertPicture(photos[0], "-resize 400x400", Picture("a-400.jpg")) ||
        !test::ConvertPicture(photos[0], "-resize 1200x1200", Picture("a-1200.jpg")) ||
        !test::ConvertPicture(photos[1], "-resize 600x600", Picture("b-600.jpg"))) {
      GTEST_SKIP() << "needs the photographs of plasma-workspace-wallpapers and ImageMagick";
    }
  }
  fs::path Picture(const std::string& name) const { return mDir / name; }
  CopyDecision Check(LargestCopies& copies, const std::string& name) {
    const ThumbnailResult made = MakeSignedThumbnailResult(Picture(name).string(), 0);
    EXPECT_TRUE(made.Ok() && made.Signature && made.Normal) << made.Error;
    return copies.Check(Picture(name).string(), *made.Signature, *made.Normal);
  }

  test::TempDir mDir;
  const fs::path mState = mDir / "state";
};

TEST_F(LargestCopiesTest, ASmallerCopyGoesAndALargerOneTakesItsPlaceAlsoAfterARestart) {
  {
    LargestCopies copies(mState);
    EXPECT_EQ(Check(copies, "a-400.jpg").RemovedBecause, "");
    EXPECT_EQ(Check(copies, "b-600.jpg").ReplacedPath, "") << "another photo";
    copies.SaveKept();
  }
  LargestCopies again(mState);
  EXPECT_EQ(again.KeptCount(), 2u);
  EXPECT_EQ(Check(again, "a-1200.jpg").ReplacedPath, Picture("a-400.jpg").string());
  EXPECT_FALSE(fs::exists(Picture("a-400.jpg")));
  const CopyDecision smaller = Check(again, "a-200.jpg");
  EXPECT_EQ(smaller.RemovedBecause, "smaller copy of a-1200.jpg");
  EXPECT_FALSE(fs::exists(Picture("a-200.jpg")));
  EXPECT_TRUE(fs::exists(Picture("a-1200.jpg")));
  again.SaveKept();
  EXPECT_EQ(LargestCopies(mState).KeptCount(), 2u) << "the replaced copy is not read back";
}

TEST_F(LargestCopiesTest, ACutOrEditedFileLosesOnlyItsBrokenLines) {
  {
    LargestCopies copies(mState);
    Check(copies, "b-600.jpg");
    copies.SaveKept();
  }
  const std::string kept = test::ReadFileBytes(mState / kSignaturesFile);
  test::WriteFileBytes(mState / kSignaturesFile, "no signature\r\n\t\r\n" + kept + "0123abc");
  LargestCopies copies(mState);
  EXPECT_EQ(copies.KeptCount(), 1u);
  Check(copies, "a-400.jpg");
  copies.SaveKept();
  const std::vector<std::string> lines = ReadLines(mState / kSignaturesFile);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], "0123abc") << "the cut line is left alone";
  EXPECT_EQ(LargestCopies(mState).KeptCount(), 2u) << "the next line starts a line of its own";
}

TEST_F(LargestCopiesTest, AStateFolderThatIsALinkIsNeitherReadNorWritten) {
  const fs::path elsewhere = mDir / "elsewhere";
  fs::create_directories(elsewhere);
  fs::remove(mState);
  fs::create_directory_symlink(elsewhere, mState);
  LargestCopies copies(mState);
  Check(copies, "a-400.jpg");
  copies.SaveKept();
  EXPECT_TRUE(fs::is_empty(elsewhere));
}

}  // namespace
}  // namespace vexilo
