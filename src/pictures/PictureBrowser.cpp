#include "pictures/PictureBrowser.h"

#include <QApplication>
#include <QEvent>
#include <QProgressBar>
#include <algorithm>
#include <exception>
#include <filesystem>

#include "core/StatusSink.h"
#include "pictures/BitmapImage.h"
#include "pictures/DecodePicture.h"
#include "pictures/FileTimeText.h"
#include "pictures/ImageFileList.h"
#include "pictures/PictureGrid.h"
#include "pictures/PreviewPane.h"
#include "pictures/ThumbnailMaker.h"

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

QString FileNamePart(const std::string& path) {
  return QString::fromStdString(std::filesystem::path(path).filename().string());
}

}  // namespace

std::string TaskListedText(int count) { return std::to_string(count) + " pictures are listed."; }
std::string FolderListedText(int count) { return "Total " + std::to_string(count) + " pictures."; }
std::string SelectedText(int count) { return "Total " + std::to_string(count) + " Pictures."; }

TPictureBrowser::TPictureBrowser(QWidget& window, TPictureGrid& grid, TPreviewPane& preview,
                                 QProgressBar& progress, StatusSink& status,
                                 TImageFileList& pictures)
    : mWindow(window),
      mGrid(grid),
      mPreview(preview),
      mProgress(progress),
      mStatus(status),
      mPictures(pictures) {
  connect(&mGrid, &QListWidget::itemSelectionChanged, this, &TPictureBrowser::SelectPicture);
}

void TPictureBrowser::ListTaskFolder(std::string folder) {
  if (!mLoadingIdle) return;
  ClearGrid();
  mGrid.repaint();
  if (folder.empty()) return;
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  mPictures.ScanFolder(folder);
  ShowListing(TaskListedText(mPictures.Count()));
}

void TPictureBrowser::ClearGrid() {
  mGrid.clear();
  mPictures.Clear();
}

void TPictureBrowser::ListFolderPictures(std::string folder) {
  std::error_code ec;
  if (!mLoadingIdle || !std::filesystem::is_directory(folder, ec)) return;
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  mPictures.ScanFolder(folder);
  ShowListing(FolderListedText(mPictures.Count()));
}

void TPictureBrowser::ShowListing(const std::string& statusText) {
  mStatus.SetStatusText(0, statusText);
  InputBlock block(mWindow);
  BuildGrid();
}

void TPictureBrowser::BuildGrid() {
  mLoadingIdle = false;
  const int count = mPictures.Count();
  mProgress.setMaximum(count);
  mProgress.setValue(0);
  mProgress.show();
  std::vector<std::string> kept;
  bool failed = false;
  mGrid.clear();
  mGrid.setUpdatesEnabled(false);
  // Whether the loop ends normally or not, the grid paints again and list entry i is grid
  // item i again.
  auto finish = [&] {
    mGrid.setUpdatesEnabled(true);
    mProgress.hide();
    if (failed) mPictures.ReplaceAll(kept);
    mLoadingIdle = true;
    std::vector<std::pair<std::string, Bitmap24>> held;
    held.swap(mHeldAppends);
    for (const auto& [path, thumbnail] : held) AppendNow(path, thumbnail);
  };
  try {
    // Decoding runs ahead on the maker's threads while items are added here in order.
    ThumbnailMaker maker(mPictures.Paths(), ButtonFace());
    for (int i = 0; i < count; ++i) {
      mPictures.SetCurrentIndex(i);
      kept.push_back(mPictures.CurrentPath());
      ThumbnailResult result = maker.Next();
      if (result.Ok()) {
        mGrid.AddPicture(ToQImage(result.Thumbnail),
                         QString::fromStdString(mPictures.CurrentFileName()));
      } else {
        failed = true;
        kept.pop_back();
      }
      mProgress.setValue(i);
      QCoreApplication::processEvents();
    }
  } catch (...) {
    // A failure part way leaves the items after it out of the grid: drop them from the list.
    failed = true;
    kept.resize(static_cast<std::size_t>(mGrid.count()));
    finish();
    throw;
  }
  finish();
}

void TPictureBrowser::AppendPicture(const std::string& path, const Bitmap24& thumbnail) {
  if (!mLoadingIdle) {
    mHeldAppends.emplace_back(path, thumbnail);
    return;
  }
  AppendNow(path, thumbnail);
}

void TPictureBrowser::AppendNow(const std::string& path, const Bitmap24& thumbnail) {
  try {
    const QImage image = ToQImage(thumbnail);
    mPictures.Add(path);
    mGrid.AddPicture(image, FileNamePart(path));
  } catch (const std::exception&) {
    // Out of memory: the picture is neither listed nor shown.
  }
}

void TPictureBrowser::SelectPicture() {
  QList<QListWidgetItem*> selected = mGrid.selectedItems();
  if (selected.isEmpty() || mPictures.Count() == 0) return;
  try {
    mPictures.SetCurrentIndex(mGrid.row(selected.front()));
    mStatus.SetStatusText(0, SelectedText(mPictures.Count()));
    std::string path = mPictures.CurrentPath();
    mStatus.SetStatusText(1, FileTimeText(path));
    ShowPreview(path);
  } catch (const std::exception&) {
    // A picture gone since the listing leaves the panel and the preview as they were.
  }
}

void TPictureBrowser::ShowPreview(const std::string& path) {
  mPreview.HidePicture();
  int paneSide = std::max(mPreview.width(), mPreview.height());
  try {
    // The pane never needs more pixels than its longer side; a JPEG decodes reduced to that.
    ReducedPicture picture = DecodeReducedPicture(path, std::max(paneSide, 1));
    mPreview.ShowPicture(ToQImage(picture.Pixels), picture.FullWidth, picture.FullHeight);
  } catch (const std::exception&) {
    mPreview.HidePicture();
  }
}

std::uint32_t TPictureBrowser::ButtonFace() const {
  return mGrid.palette().color(QPalette::Button).rgb() & 0xFFFFFFu;
}

}  // namespace vexilo
