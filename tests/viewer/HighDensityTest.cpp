// The viewer on a screen of two device pixels per pixel (a 200 % desktop): at 100 % each
// picture pixel is one device pixel, not a blurred 2 x 2 block.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>

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
