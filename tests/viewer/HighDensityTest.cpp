// The viewer and the picture grid on a screen of two device pixels per pixel (a 200 %
// desktop): at 100 % each picture pixel is one device pixel, not a blurred 2 x 2 block, and
// the grid's thumbnails are made at the screen's resolution.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>
#include <QThread>
#include <functional>

#include "pictures/PictureGrid.h"
#include "pictures/PngWriter.h"
#include "pictures/Thumbnail.h"
#include "support/TempDir.h"
#include "viewer/PictureArea.h"

namespace vexilo {
namespace {

TEST(HighDensityTest, NaturalSizeIsOnePicturePixelPerDevicePixel) {
  auto picture = std::make_shared<Bitmap24>(100, 80);
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 100; ++x) picture->SetPixel(x, y, x < 50 ? 0xFF0000 : 0x0000FF);
  }
  TPictureArea area;
  area.resize(400, 300);
  area.show();
  ASSERT_EQ(area.devicePixelRatioF(), 2.0);
  EXPECT_EQ(area.AreaSize(), QSize(800, 600));
  area.SetPicture(picture);
  area.SetPanel(QRect(350, 260, 100, 80), false);
  const QImage shot = area.viewport()->grab().toImage();
  ASSERT_EQ(shot.width(), 800);
  const auto at = [&](int x, int y) { return shot.pixel(x, y) & 0xFFFFFF; };
  EXPECT_EQ(at(349, 260), 0x808080u);
  EXPECT_EQ(at(350, 260), 0xFF0000u);
  EXPECT_EQ(at(399, 339), 0xFF0000u);  // the 50th picture column ends here, not at 449
  EXPECT_EQ(at(400, 339), 0x0000FFu);
  EXPECT_EQ(at(449, 339), 0x0000FFu);
  EXPECT_EQ(at(450, 339), 0x808080u);
  // The panel wider than the area scrolls by device pixels.
  area.SetPanel(QRect(0, 0, 1000, 80), false);
  EXPECT_EQ(area.horizontalScrollBar()->maximum(), 1000 - 800);
}

// The grid's shot once `ready` holds for it, within a few seconds.
QImage GridShotWhen(TPictureGrid& grid, const std::function<bool(const QImage&)>& ready) {
  QElapsedTimer waited;
  waited.start();
  QImage shot = grid.viewport()->grab().toImage();
  while (!ready(shot) && waited.elapsed() < 5000) {
    QCoreApplication::processEvents();
    QThread::msleep(5);
    shot = grid.viewport()->grab().toImage();
  }
  return shot;
}

TEST(HighDensityTest, GridThumbnailIsMadeAtTheScreensResolution) {
  test::TempDir dir;
  // Columns one pixel wide: the 80 x 80 thumbnail takes every other one, and shows blue only.
  Bitmap24 stripes(128, 128);
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) stripes.SetPixel(x, y, x % 2 ? 0xFF0000 : 0x0000FF);
  }
  test::WriteFileBytes(dir / "stripes.png", EncodePng(stripes));
  TPictureGrid grid;
  grid.resize(400, 300);
  const std::uint32_t face = grid.ButtonFace();
  grid.SetThumbnailSource([&](int) { return MakeThumbnail(stripes, face); });
  grid.SetPathSource([&](int) { return (dir / "stripes.png").string(); });
  grid.AddPicture("stripes.png");
  grid.ShowAdded();
  grid.show();
  ASSERT_EQ(grid.devicePixelRatioF(), 2.0);

  // The picture area's left edge in device pixels, and the row through its middle.
  int left = -1;
  int middle = -1;
  const auto find = [&](const QImage& shot) {
    left = -1;
    for (int y = 0; y < shot.height() && left < 0; ++y) {
      for (int x = 0; x < shot.width(); ++x) {
        const QRgb pixel = shot.pixel(x, y) & 0xFFFFFF;
        if (pixel == 0x0000FF || pixel == 0xFF0000) {
          left = x;
          middle = y + 63;
          break;
        }
      }
    }
  };
  const auto sharp = [&](const QImage& shot) {
    find(shot);
    return left >= 0 && (shot.pixel(left + 1, middle) & 0xFFFFFF) == 0xFF0000u;
  };
  QImage shot = GridShotWhen(grid, sharp);
  ASSERT_TRUE(sharp(shot));
  const auto at = [&](int x, int y) { return shot.pixel(x, y) & 0xFFFFFF; };
  // Every column of the reduction, one device pixel each, in the scaled frame.
  for (int x = 0; x < 128; ++x) {
    ASSERT_EQ(at(left + x, middle), x % 2 ? 0xFF0000u : 0x0000FFu) << x;
  }
  EXPECT_EQ(at(left - 1, middle), 0x808080u);  // the frame's left line, two pixels thick
  EXPECT_EQ(at(left - 2, middle), 0x808080u);
  EXPECT_EQ(at(left - 3, middle), face);
  EXPECT_EQ(at(left + 128, middle), 0xFFFFFFu);
  EXPECT_EQ(at(left + 129, middle), 0xFFFFFFu);
  // The cell is 160 device pixels: its raised bevel's right line ends it.
  EXPECT_EQ(at(left - 16, middle), 0xFFFFFFu);
  EXPECT_EQ(at(left + 142, middle), 0x808080u);
  EXPECT_EQ(at(left + 143, middle), 0x808080u);

  // Selected, it is tinted but still drawn one pixel to a device pixel.
  grid.setCurrentRow(0);
  shot = grid.viewport()->grab().toImage();
  for (int x = 0; x < 126; ++x) {
    ASSERT_EQ(at(left + x, middle), at(left + x + 2, middle)) << x;
    ASSERT_NE(at(left + x, middle), at(left + x + 1, middle)) << x;
  }
}

}  // namespace
}  // namespace vexilo

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
