#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

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

// The first bytes of a PNG of width x height: all that its size is read from.
std::string PngHeader(std::uint32_t width, std::uint32_t height) {
  std::string bytes("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
  for (std::uint32_t value : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(value >> shift);
  }
  return bytes + std::string("\x08\x02\0\0\0", 5);
}

TEST_F(DownloadedPictureChecksTest, RemovesPicturesTheirHeadersShowTooSmall) {
  DownloadedPictureChecks checks({.RealSizeFilter = true, .MinWidth = 200, .MinHeight = 0}, {});
  std::string small = File("small.png", PngHeader(16, 600));
  std::string wide = File("wide.png", PngHeader(200, 1));
  std::string unreadable = File("page.jpg", "<html>not a picture</html>");
  EXPECT_EQ(checks.Check(small), "too small");
  EXPECT_EQ(checks.Check(wide), "") << "a limit of 0 counts for nothing";
  EXPECT_EQ(checks.Check(unreadable), "");
  EXPECT_FALSE(std::filesystem::exists(small));
  EXPECT_TRUE(std::filesystem::exists(wide));

  DownloadedPictureChecks sizeOff({.KeepOneCopy = true, .MinWidth = 200}, {});
  std::string again = File("again.png", PngHeader(16, 600));
  EXPECT_EQ(sizeOff.Check(again), "");
}

}  // namespace
}  // namespace vexilo
