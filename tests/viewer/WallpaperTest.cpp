#include <gtest/gtest.h>

#include "RecordingWallpaperSetter.h"
#include "pictures/BmpReader.h"
#include "pictures/BmpWriter.h"
#include "support/TempDir.h"
#include "viewer/Wallpaper.h"

namespace vexilo {
namespace {

using RecordingSetter = test::RecordingWallpaperSetter;

struct FitCase {
  int W, H, SW, SH;
  WallpaperFit Fit;
};

TEST(FitWallpaper, KeepsTheShapeAndTouchesTheScreenOnTheLongerSide) {
  const FitCase cases[] = {
      {1024, 768, 1024, 768, {false, 0, 0}},     // the screen's size
      {800, 600, 1024, 768, {true, 1024, 768}},  // smaller, the screen's shape: filled
      {800, 500, 1024, 768, {false, 0, 0}},      // smaller, another shape: centred
      {2048, 1024, 1024, 768, {true, 1024, 512}},
      {1000, 2000, 1024, 768, {true, 384, 768}},
      {2560, 1024, 1280, 1024, {true, 1280, 512}},
      {1, 10000, 1920, 1080, {false, 0, 0}},  // a sliver: copied as it is, never 0 wide
      {10000, 1, 1920, 1080, {false, 0, 0}},
  };
  for (const FitCase& c : cases) {
    const WallpaperFit fit = FitWallpaper(c.W, c.H, c.SW, c.SH);
    EXPECT_EQ(fit.Stretch, c.Fit.Stretch) << c.W << "x" << c.H;
    EXPECT_EQ(fit.Width, c.Fit.Width) << c.W << "x" << c.H;
    EXPECT_EQ(fit.Height, c.Fit.Height) << c.W << "x" << c.H;
  }
}

TEST(DevicePixels, AScaledScreenGetsAWallpaperOfAllItsPixels) {
  EXPECT_EQ(DevicePixels(1280, 2.0), 2560);
  EXPECT_EQ(DevicePixels(1707, 1.5), 2561);
  EXPECT_EQ(DevicePixels(1920, 1.0), 1920);
  EXPECT_EQ(DevicePixels(1920, 0.0), 1920) << "no ratio known";
}

TEST(SetAsWallpaper, SavesTheFittedPictureAndHandsTheBlankFirst) {
  test::TempDir dir;
  Bitmap24 picture(200, 100);
  picture.Fill(0x804020);
  WriteBmp(picture, dir / "pic.bmp");
  RecordingSetter setter;
  ASSERT_TRUE(SetAsWallpaper((dir / "pic.bmp").string(), 100, 100, dir / "data/new",
                             dir / "blank.bmp", setter));
  EXPECT_EQ(setter.Files, (std::vector<std::string>{(dir / "blank.bmp").string(),
                                                    (dir / "data/new/Vexilo.bmp").string()}));
  const Bitmap24 saved = DecodeBmp(dir / "data/new/Vexilo.bmp");
  EXPECT_EQ(saved.Width(), 100);
  EXPECT_EQ(saved.Height(), 50);
  EXPECT_EQ(saved.Pixel(99, 49), 0x804020u);
}

TEST(SetAsWallpaper, AnUnreadablePictureEndsSilentlyAndKeepsTheEarlierWallpaper) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "broken.jpg", "not a picture");
  std::filesystem::create_directories(dir / "data");
  test::WriteFileBytes(dir / "data/Vexilo.bmp", "earlier");
  RecordingSetter setter;
  EXPECT_FALSE(SetAsWallpaper((dir / "broken.jpg").string(), 1024, 768, dir / "data",
                              dir / "blank.bmp", setter));
  EXPECT_FALSE(SetAsWallpaper("", 1024, 768, dir / "data", dir / "blank.bmp", setter));
  EXPECT_TRUE(setter.Files.empty());
  EXPECT_EQ(test::ReadFileBytes(dir / "data/Vexilo.bmp"), "earlier");
}

}  // namespace
}  // namespace vexilo
