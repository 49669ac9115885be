#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "RecordingWallpaperSetter.h"
#include "pictures/BmpWriter.h"
#include "pictures/ImageFileList.h"
#include "support/FakeSeams.h"
#include "support/TempDir.h"
#include "viewer/PictureArea.h"
#include "viewer/UnitFormView.h"
#include "viewer/ViewerHost.h"

namespace vexilo {
namespace {

constexpr std::uint32_t kTopLeft = 0xFF0000, kTopRight = 0x0000FF, kBottomLeft = 0x00FF00,
                        kBottomRight = 0xFFFFFF, kGrey = 0x808080;

// Four quadrants of four colours: a picture painted upside down or shifted shows it.
SharedPicture Quadrants(int width, int height) {
  auto picture = std::make_shared<Bitmap24>(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2, bottom = y >= height / 2;
      picture->SetPixel(
          x, y, bottom ? (right ? kBottomRight : kBottomLeft) : (right ? kTopRight : kTopLeft));
    }
  }
  return picture;
}

std::uint32_t At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

class PictureAreaTest : public testing::Test {
 protected:
  void SetUp() override {
    area.resize(400, 300);
    area.show();
  }
  QImage Shot() { return area.viewport()->grab().toImage(); }

  TPictureArea area;
};

TEST_F(PictureAreaTest, NaturalSizeIsPaintedPixelForPixelInItsPlace) {
  area.SetPicture(Quadrants(100, 80));
  area.SetPanel(QRect(150, 110, 100, 80), false);
  const QImage shot = Shot();
  EXPECT_EQ(At(shot, 149, 110), kGrey);
  EXPECT_EQ(At(shot, 150, 109), kGrey);
  EXPECT_EQ(At(shot, 150, 110), kTopLeft);
  EXPECT_EQ(At(shot, 199, 149), kTopLeft);
  EXPECT_EQ(At(shot, 200, 149), kTopRight);
  EXPECT_EQ(At(shot, 199, 150), kBottomLeft);
  EXPECT_EQ(At(shot, 249, 189), kBottomRight);
  EXPECT_EQ(At(shot, 250, 189), kGrey);
  EXPECT_EQ(At(shot, 249, 190), kGrey);
  EXPECT_EQ(area.horizontalScrollBar()->maximum(), 0);
  EXPECT_EQ(area.verticalScrollBar()->maximum(), 0);
}

// At 1000 % the panel is 20000 x 15000: as a pixmap it would take 900 MB, past what a
// pixmap may even be. Only the part in view is painted.
TEST_F(PictureAreaTest, HugePanelScrollsAsIfItExistedAndPaintsWhatIsInView) {
  area.SetPicture(Quadrants(2000, 1500));
  area.SetPanel(QRect(0, 0, 20000, 15000), false);
  QScrollBar* across = area.horizontalScrollBar();
  QScrollBar* down = area.verticalScrollBar();
  EXPECT_EQ(across->maximum(), 20000 - area.viewport()->width());
  EXPECT_EQ(down->maximum(), 15000 - area.viewport()->height());
  EXPECT_EQ(across->pageStep(), area.viewport()->width());
  EXPECT_EQ(down->pageStep(), area.viewport()->height());

  // The quadrants meet at (10000, 7500) of the panel: put that at (100, 100) of the view.
  across->setValue(9900);
  down->setValue(7400);
  const QImage shot = Shot();
  EXPECT_EQ(At(shot, 99, 99), kTopLeft);
  EXPECT_EQ(At(shot, 100, 99), kTopRight);
  EXPECT_EQ(At(shot, 99, 100), kBottomLeft);
  EXPECT_EQ(At(shot, 100, 100), kBottomRight);
  EXPECT_EQ(At(shot, 0, 0), kTopLeft);
  EXPECT_EQ(At(shot, shot.width() - 1, shot.height() - 1), kBottomRight);

  // The far corner, to the last pixel.
  across->setValue(across->maximum());
  down->setValue(down->maximum());
  const QImage corner = Shot();
  EXPECT_EQ(At(corner, corner.width() - 1, corner.height() - 1), kBottomRight);
}

class NoHost : public ViewerHost {
 public:
  int GridCount() const override { return 1; }
  int SelectedGridItem() const override { return 0; }
  void SelectGridItem(int) override {}
  void ShowMainWindow() override {}
  void HideMainWindow() override {}
  void ShutDownApplication() override {}
};

TEST(ViewerScrollKeysTest, LineAndPageStepsOfTheScrollBars) {
  test::TempDir dir;
  WriteBmp(Bitmap24(900, 700), dir / "big.bmp");
  TImageFileList pictures;
  pictures.Add((dir / "big.bmp").string());
  NoHost host;
  test::RecordingPrompts prompts;
  test::RecordingWallpaperSetter wallpaper;
  TFormView view(pictures, host, prompts, wallpaper, dir / "blank.bmp");
  view.OpenViewer();
  view.ZoomIn();
  view.ZoomIn();
  view.ZoomIn();  // 300 %: 2700 x 2100
  QScrollBar* across = view.PictureArea()->horizontalScrollBar();
  QScrollBar* down = view.PictureArea()->verticalScrollBar();
  ASSERT_EQ(down->value(), 0);
  QTest::keyClick(&view, Qt::Key_Down);
  EXPECT_EQ(down->value(), down->singleStep());
  QTest::keyClick(&view, Qt::Key_PageDown);
  EXPECT_EQ(down->value(), down->singleStep() + down->pageStep());
  QTest::keyClick(&view, Qt::Key_PageUp);
  QTest::keyClick(&view, Qt::Key_Up);
  EXPECT_EQ(down->value(), 0);
  QTest::keyClick(&view, Qt::Key_Right);
  QTest::keyClick(&view, Qt::Key_Right);
  EXPECT_EQ(across->value(), 2 * across->singleStep());
  QTest::keyClick(&view, Qt::Key_Left);
  EXPECT_EQ(across->value(), across->singleStep());
  // A new picture starts at the top-left again.
  view.FitImage();
  EXPECT_EQ(across->value(), 0);
}

}  // namespace
}  // namespace vexilo
