#include "pictures/PictureBrowser.h"

#include <QApplication>
#include <QEvent>
#include <QProgressBar>
#include <algorithm>
#include <cmath>

#include "pictures/BitmapImage.h"
#include "pictures/PictureGrid.h"
#include "pictures/PreviewPane.h"

namespace vexilo {
namespace {

// Keeps user input from a window for its lifetime, with the busy cursor: the window still
// paints while a listing lets events run, but nothing can be clicked or typed into it.
class InputBlock : public QObject {
 public:
  explicit InputBlock(QWidget& window) : mWindow(window) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
  }
  ~InputBlock() override {
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
  }
  InputBlock(const InputBlock&) = delete;
  InputBlock& operator=(const InputBlock&) = delete;

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(target);
    if (widget == nullptr || widget->window() != &mWindow) return false;
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::Shortcut:
      case QEvent::ShortcutOverride:
        return true;
      default:
        return false;
    }
  }

 private:
  QWidget& mWindow;
};

// How often a build shows the items added: often enough for smooth painting.
constexpr qint64 kShowInterval = 25;

}  // namespace

TPictureBrowser::TPictureBrowser(QWidget& window, TPictureGrid& grid, TPreviewPane& preview,
                                 QProgressBar& progress)
    : mWindow(window), mGrid(grid), mPreview(preview), mProgress(progress) {}

TPictureBrowser::~TPictureBrowser() = default;

void TPictureBrowser::ClearGrid() {
  mGrid.clear();
  mGrid.repaint();
}

void TPictureBrowser::AddGridItem(const std::string& caption) {
  mGrid.AddPicture(QString::fromStdString(caption));
  if (!mInputBlock) mGrid.ShowAdded();
}

void TPictureBrowser::ReplaceGridItem(int index, const std::string& caption) {
  mGrid.ReplacePicture(index, QString::fromStdString(caption));
}

void TPictureBrowser::RemoveGridItem(int index) { mGrid.RemovePicture(index); }

void TPictureBrowser::BeginBuild(int count) {
  mInputBlock = std::make_unique<InputBlock>(mWindow);
  mProgress.setMaximum(count);
  mProgress.setValue(0);
  mProgress.show();
  mGrid.clear();
  mSinceShown.start();
}

void TPictureBrowser::BuildStep(int index) {
  mProgress.setValue(index);
  // Laying out and painting the grid after every item would cost more than the items.
  if (mSinceShown.elapsed() >= kShowInterval) {
    mGrid.ShowAdded();
    mSinceShown.start();
  }
  QCoreApplication::processEvents();
}

void TPictureBrowser::BuildWaits() {
  mGrid.ShowAdded();
  mSinceShown.start();
  QCoreApplication::processEvents();
}

void TPictureBrowser::EndBuild() {
  mGrid.ShowAdded();
  mProgress.hide();
  mInputBlock.reset();
}

int TPictureBrowser::PreviewSide() const {
  // In device pixels, so a screen of a higher density gets as many as it shows.
  const double side = std::max(mPreview.width(), mPreview.height()) * mPreview.devicePixelRatioF();
  return static_cast<int>(std::ceil(side));
}

void TPictureBrowser::ShowPreview(const Bitmap24& pixels, int fullWidth, int fullHeight) {
  mPreview.ShowPicture(ToQImage(pixels), fullWidth, fullHeight);
}

void TPictureBrowser::HidePreview() { mPreview.HidePicture(); }

std::uint32_t TPictureBrowser::ButtonFace() const { return mGrid.ButtonFace(); }

}  // namespace vexilo
