#include <gtest/gtest.h>

#include <filesystem>

#include "downloader/DownloadedPictureChecks.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::WriteFileBytes;

class DownloadedPictureChecksTest : public testing::Test {
 protected:
  std::string File(const std::string& name, const std::string& bytes) {
    WriteFileBytes(mDir / name, bytes);
    return (mDir / name).string();
  }
  test::TempDir mDir;
};

TEST_F(DownloadedPictureChecksTest, RemovesOnlyExactCopiesOfEarlierOrNewPictures) {
  std::string earlier = File("earlier.jpg", "picture one");
  DownloadedPictureChecks checks({.KeepOneCopy = true}, {earlier, (mDir / "gone.jpg").string()});

  std::string copyOfEarlier = File("a.jpg", "picture one");
  std::string other = File("b.jpg", "picture two");
  std::string sameSizeOther = File("c.jpg", "picture tw0");
  std::string copyOfNew = File("d.jpg", "picture two");
  EXPECT_EQ(checks.Check(copyOfEarlier), "duplicate");
  EXPECT_EQ(checks.Check(other), "");
  EXPECT_EQ(checks.Check(sameSizeOther), "");
  EXPECT_EQ(checks.Check(copyOfNew), "duplicate");
  // A picture fetched again into its own path (a cut-off download) is no copy of itself.
  EXPECT_EQ(checks.Check(earlier), "");

  EXPECT_FALSE(std::filesystem::exists(copyOfEarlier));
  EXPECT_FALSE(std::filesystem::exists(copyOfNew));
  for (const std::string& kept : {earlier, other, sameSizeOther}) {
    EXPECT_TRUE(std::filesystem::exists(kept)) << kept;
  }
}

TEST_F(DownloadedPictureChecksTest, KeepsEverythingWhenOffOrUnreadable) {
  std::string first = File("a.jpg", "same");
  std::string second = File("b.jpg", "same");
  DownloadedPictureChecks off({}, {first});
  EXPECT_EQ(off.Check(second), "");
  EXPECT_TRUE(std::filesystem::exists(second));

  DownloadedPictureChecks on({.KeepOneCopy = true}, {});
  EXPECT_EQ(on.Check((mDir / "missing.jpg").string()), "");
  EXPECT_EQ(on.Check(first), "");
}

}  // namespace
}  // namespace vexilo
