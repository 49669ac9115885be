// Takes the screenshots of the viewer: a picture at its natural size, the same at 300 %
// scrolled to its middle, the error box of an unreadable picture and the window after it,
// into the folder given as the argument. Run it under a real X server (scripts/screenshots
// starts Xvfb); it is no test.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QRadialGradient>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <filesystem>
#include <iostream>

#include "RecordingWallpaperSetter.h"
#include "pictures/ImageFileList.h"
#include "platform/QtUserPrompts.h"
#include "support/TempDir.h"
#include "viewer/PictureArea.h"
#include "viewer/UnitFormView.h"
#include "viewer/ViewerHost.h"

namespace {

using namespace vexilo;

class ShotHost : public ViewerHost {
 public:
  int GridCount() const override { return 3; }
  int SelectedGridItem() const override { return 0; }
  void SelectGridItem(int) override {}
  void ShowMainWindow() override {}
  void HideMainWindow() override {}
  void ShutDownApplication() override {}
};

void Settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool Save(const QPixmap& shot, const QString& file) {
  bool saved = shot.save(file);
  std::cout << (saved ? "wrote " : "could not write ") << file.toStdString() << "\n";
  return saved;
}

bool Shoot(QWidget* window, const QString& file) {
  Settle(800);
  const QRect frame = window->frameGeometry();
  return Save(window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()),
              file);
}

// An 800 x 600 picture with detail enough to see the zoom: rings and a grid of labels.
void WriteSamplePicture(const std::filesystem::path& file) {
  QImage image(800, 600, QImage::Format_RGB32);
  QPainter painter(&image);
  QRadialGradient sky(QPointF(400, 300), 500);
  sky.setColorAt(0, QColor(250, 220, 120));
  sky.setColorAt(1, QColor(40, 90, 160));
  painter.fillRect(image.rect(), sky);
  painter.setRenderHint(QPainter::Antialiasing);
  for (int r = 40; r < 400; r += 40) {
    painter.setPen(QPen(QColor(255, 255, 255, 160), 3));
    painter.drawEllipse(QPointF(400, 300), r, r * 0.75);
  }
  painter.setPen(Qt::black);
  for (int y = 0; y < 600; y += 100) {
    for (int x = 0; x < 800; x += 100) {
      painter.drawText(QRect(x, y, 100, 100), Qt::AlignCenter,
                       QString("%1,%2").arg(x / 100).arg(y / 100));
    }
  }
  painter.end();
  image.save(QString::fromStdString(file.string()), "JPG", 90);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::cerr << "usage: viewer_shots <output folder>\n";
    return 2;
  }
  QDir out(QString::fromLocal8Bit(argv[1]));
  out.mkpath(".");

  test::TempDir folder;
  WriteSamplePicture(folder / "1 rings.jpg");
  test::WriteFileBytes(folder / "2 broken.jpg", "this is not a JPEG file");
  std::filesystem::copy_file(test::TestData("libjpeg-turbo-testimages/monkey12.jpg"),
                             folder / "3 monkey.jpg");
  TImageFileList pictures;
  for (const char* name : {"1 rings.jpg", "2 broken.jpg", "3 monkey.jpg"}) {
    pictures.Add((folder / name).string());
  }
  ShotHost host;
  QtUserPrompts prompts;
  test::RecordingWallpaperSetter wallpaper;
  TFormView view(pictures, host, prompts, wallpaper, folder / "blank.bmp");
  view.OpenViewer();
  bool ok = Shoot(&view, out.filePath("viewer-fit.png"));

  view.ZoomIn();
  view.ZoomIn();
  view.ZoomIn();
  Settle(200);
  QScrollBar* across = view.PictureArea()->horizontalScrollBar();
  QScrollBar* down = view.PictureArea()->verticalScrollBar();
  across->setValue(across->maximum() / 2);
  down->setValue(down->maximum() / 2);
  ok = Shoot(&view, out.filePath("viewer-300-scrolled.png")) && ok;

  view.FitImage();
  QTimer::singleShot(1000, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    ok = Save(view.screen()->grabWindow(0), out.filePath("viewer-unreadable-box.png")) && ok;
    box->buttons().front()->click();
  });
  view.ShowNext();
  ok = Shoot(&view, out.filePath("viewer-after-unreadable.png")) && ok;

  // Full screen: the whole screen, with nothing of a window around the picture.
  view.ShowFirst();
  view.EnterFullScreen();
  Settle(800);
  ok = Save(view.screen()->grabWindow(0), out.filePath("viewer-full-screen.png")) && ok;
  view.LeaveFullScreen();
  ok = Shoot(&view, out.filePath("viewer-full-screen-left.png")) && ok;
  return ok ? 0 : 1;
}
