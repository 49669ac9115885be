#include "pictures/PictureGrid.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QThreadPool>
#include <algorithm>
#include <deque>
#include <exception>
#include <unordered_map>
#include <utility>

#include "pictures/BitmapImage.h"
#include "pictures/ThumbnailMaker.h"

namespace vexilo {

// The grid's items: their captions, and their thumbnails from the source, made when painted.
// The last screenful made is kept, so the repaints of a listing do not unpack the same
// thumbnails again and again. At a device pixel ratio above 1 the items painted also get
// thumbnails made at that ratio from their files, on the model's workers; a few screenfuls
// of those are kept.
class TThumbnailListModel : public QAbstractListModel {
 public:
  explicit TThumbnailListModel(QObject* parent) : QAbstractListModel(parent) {
    mWorkers.setMaxThreadCount(kSharpWorkers);
  }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(mCaptions.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= mCaptions.size()) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return mCaptions[index.row()];
    if (role == Qt::DecorationRole) return Thumbnail(index.row());
    return {};
  }

  // Item row's thumbnail; a null pixmap without a source or memory.
  QPixmap Thumbnail(int row) const {
    if (!mSource) return {};
    if (auto kept = mKept.find(row); kept != mKept.end()) return kept->second;
    QPixmap thumbnail;
    try {
      thumbnail = QPixmap::fromImage(ToQImage(mSource(row)));
    } catch (const std::exception&) {
      return {};  // out of memory: the item shows its caption only
    }
    if (mKeep == 0) return thumbnail;
    while (mKeptOrder.size() >= mKeep) ForgetOldest();
    mKept.emplace(row, thumbnail);
    mKeptOrder.push_back(row);
    return thumbnail;
  }

  // At a device pixel ratio above 1: item row's thumbnail composed at that ratio, or a null
  // pixmap while a worker makes it (the item is repainted once it is there) or when it
  // cannot be made.
  QPixmap SharpThumbnail(int row, double ratio) {
    if (!mPathSource) return {};
    if (ratio != mSharpRatio) {
      ForgetSharp();
      mSharpRatio = ratio;
    }
    if (auto kept = mSharp.find(row); kept != mSharp.end()) return kept->second;
    Want(row);
    return {};
  }

  void Add(const QString& caption) { mPending.push_back(caption); }

  void Replace(int row, const QString& caption) {
    if (row < 0) return;
    if (row >= mCaptions.size()) {
      const int pending = row - static_cast<int>(mCaptions.size());
      if (pending < mPending.size()) mPending[pending] = caption;
      return;
    }
    mCaptions[row] = caption;
    if (mKept.erase(row) > 0) std::erase(mKeptOrder, row);
    if (mSharp.erase(row) > 0) std::erase(mSharpOrder, row);
    // One being made for the row would show the picture it stood for.
    if (std::find(mMaking.begin(), mMaking.end(), row) != mMaking.end()) ++mGeneration;
    emit dataChanged(index(row), index(row));
  }

  void Remove(int row) {
    if (row < 0) return;
    if (row >= mCaptions.size()) {
      const int pending = row - static_cast<int>(mCaptions.size());
      if (pending < mPending.size()) mPending.removeAt(pending);
      return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    mCaptions.removeAt(row);
    // The kept thumbnails are by row, and the rows after this one moved.
    Forget();
    endRemoveRows();
  }

  void Publish() {
    if (mPending.isEmpty()) return;
    const int row = static_cast<int>(mCaptions.size());
    beginInsertRows(QModelIndex(), row, row + static_cast<int>(mPending.size()) - 1);
    mCaptions.append(mPending);
    mPending.clear();
    endInsertRows();
  }

  void Clear() {
    beginResetModel();
    mCaptions.clear();
    mPending.clear();
    Forget();
    endResetModel();
  }

  void SetSource(std::function<Bitmap24(int)> source) {
    mSource = std::move(source);
    Forget();
  }

  void SetPathSource(std::function<std::string(int)> path, std::uint32_t buttonFace) {
    mPathSource = std::move(path);
    mButtonFace = buttonFace;
    ForgetSharp();
  }

  void SetButtonFace(std::uint32_t buttonFace) {
    if (buttonFace == mButtonFace) return;
    mButtonFace = buttonFace;
    ForgetSharp();
  }

  // How many of the last thumbnails made are kept: `count` of today's, a few times as many
  // sharp ones, so that scrolling back and forth does not make them again.
  void SetKeep(std::size_t count) {
    mKeep = count;
    while (mKeptOrder.size() > mKeep) ForgetOldest();
    while (mSharpOrder.size() > SharpKeep()) ForgetOldestSharp();
  }

  // The sharp thumbnails kept, and the ones asked for or being made, are dropped; one on its
  // way is not kept.
  void ForgetSharp() {
    mSharp.clear();
    mSharpOrder.clear();
    mWanted.clear();
    ++mGeneration;
  }

  ~TThumbnailListModel() override {
    mWorkers.clear();
    mWorkers.waitForDone();
  }

 private:
  // Two workers: a screenful of pictures decoded anew (no cache) shows up in about a second.
  static constexpr int kSharpWorkers = 2;
  static constexpr std::size_t kSharpScreenfuls = 3;

  void Forget() {
    mKept.clear();
    mKeptOrder.clear();
    ForgetSharp();
  }
  void ForgetOldest() const {
    mKept.erase(mKeptOrder.front());
    mKeptOrder.pop_front();
  }
  void ForgetOldestSharp() {
    mSharp.erase(mSharpOrder.front());
    mSharpOrder.pop_front();
  }
  std::size_t SharpKeep() const { return std::max<std::size_t>(mKeep, 1) * kSharpScreenfuls; }

  // Made in the order painted, at most a screenful waiting: after a scroll the rows painted
  // before it, no longer in view, are the ones let go.
  void Want(int row) {
    if (std::find(mMaking.begin(), mMaking.end(), row) != mMaking.end()) return;
    std::erase(mWanted, row);
    mWanted.push_back(row);
    while (mWanted.size() > std::max<std::size_t>(mKeep, 1)) mWanted.pop_front();
    StartMaking();
  }

  void StartMaking() {
    while (mMaking.size() < kSharpWorkers && !mWanted.empty()) {
      const int row = mWanted.front();
      mWanted.pop_front();
      std::string path;
      try {
        path = mPathSource(row);
      } catch (const std::exception&) {
        continue;  // the list no longer has the row: nothing to make
      }
      mMaking.push_back(row);
      const unsigned generation = mGeneration;
      const std::uint32_t face = mButtonFace;
      const double ratio = mSharpRatio;
      TThumbnailListModel* self = this;
      mWorkers.start([self, row, path = std::move(path), face, ratio, generation] {
        QImage image;
        try {
          image = ToQImage(MakeSharpFileThumbnail(path, face, ratio));
        } catch (const std::exception&) {
          // Unreadable now, or no memory: the item keeps today's thumbnail.
        }
        QMetaObject::invokeMethod(
            self,
            [self, row, generation, ratio, image = std::move(image)] {
              self->Arrived(row, generation, ratio, image);
            },
            Qt::QueuedConnection);
      });
    }
  }

  void Arrived(int row, unsigned generation, double ratio, const QImage& image) {
    std::erase(mMaking, row);
    if (generation == mGeneration) {
      QPixmap sharp;
      if (!image.isNull()) {
        sharp = QPixmap::fromImage(image);
        sharp.setDevicePixelRatio(ratio);
      }
      // A null one stands for a failure, so the item is not tried again at every paint.
      while (mSharpOrder.size() >= SharpKeep()) ForgetOldestSharp();
      mSharp.emplace(row, sharp);
      mSharpOrder.push_back(row);
      if (!sharp.isNull() && row < mCaptions.size()) emit dataChanged(index(row), index(row));
    }
    StartMaking();
  }

  QStringList mCaptions;
  QStringList mPending;  // added, not shown yet
  std::function<Bitmap24(int)> mSource;
  std::size_t mKeep = 0;
  mutable std::unordered_map<int, QPixmap> mKept;
  mutable std::deque<int> mKeptOrder;  // oldest first

  std::function<std::string(int)> mPathSource;
  std::uint32_t mButtonFace = 0;
  double mSharpRatio = 1;
  std::unordered_map<int, QPixmap> mSharp;
  std::deque<int> mSharpOrder;  // oldest first
  std::deque<int> mWanted;      // oldest first
  std::vector<int> mMaking;
  // Counts the drops: a thumbnail made before the last one is not kept.
  unsigned mGeneration = 0;
  QThreadPool mWorkers;
};

// Paints an item as the style does, drawing the thumbnail itself: through a QIcon every
// paint would leave a copy in the application's pixmap cache.
class TThumbnailDelegate : public QStyledItemDelegate {
 public:
  TThumbnailDelegate(TThumbnailListModel& model, QObject* parent)
      : QStyledItemDelegate(parent), mModel(model) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = option.widget;
    const double ratio = widget != nullptr ? widget->devicePixelRatioF() : 1.0;
    // Until a sharp one is there, today's is drawn enlarged.
    QPixmap thumbnail = ratio > 1 ? mModel.SharpThumbnail(index.row(), ratio) : QPixmap();
    if (thumbnail.isNull()) thumbnail = mModel.Thumbnail(index.row());
    item.icon = QIcon();
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    if (thumbnail.isNull()) return;
    const QRect place = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &item, widget);
    QIcon::Mode mode = QIcon::Normal;
    if (!(item.state & QStyle::State_Enabled)) {
      mode = QIcon::Disabled;
    } else if (item.state & QStyle::State_Selected) {
      mode = QIcon::Selected;
    }
    if (mode != QIcon::Normal) {
      // As an icon would look: generated with the application's palette.
      QStyleOption look;
      look.palette = QGuiApplication::palette();
      // A style may hand back a pixmap of ratio 1, which would be drawn doubled.
      const qreal density = thumbnail.devicePixelRatio();
      thumbnail = style->generatedIconPixmap(mode, thumbnail, &look);
      thumbnail.setDevicePixelRatio(density);
    }
    if (thumbnail.devicePixelRatio() > 1) {
      painter->drawPixmap(place.topLeft(), thumbnail);  // one pixel to a device pixel
    } else {
      painter->drawPixmap(place, thumbnail);
    }
  }

 private:
  TThumbnailListModel& mModel;
};

TPictureGrid::TPictureGrid(QWidget* parent)
    : QListView(parent), mModel(new TThumbnailListModel(this)) {
  setModel(mModel);
  setItemDelegate(new TThumbnailDelegate(*mModel, this));
  setViewMode(QListView::IconMode);
  setIconSize(QSize(kThumbnailSize, kThumbnailSize));
  setGridSize(QSize(kThumbnailSize + 24, kThumbnailSize + 28));
  setResizeMode(QListView::Adjust);
  setMovement(QListView::Static);
  setFlow(QListView::LeftToRight);
  setWrapping(true);
  setUniformItemSizes(true);
  setTextElideMode(Qt::ElideMiddle);
  // A click still selects one picture; Ctrl and Shift gather several to sort out at once.
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  QPalette face = palette();
  face.setColor(QPalette::Base, face.color(QPalette::Button));
  setPalette(face);
  connect(this, &QListView::doubleClicked, this, [this] { emit openRequested(); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { emit selectedRowChanged(SelectedRow()); });
}

void TPictureGrid::SetThumbnailSource(std::function<Bitmap24(int item)> source) {
  mModel->SetSource(std::move(source));
}

void TPictureGrid::SetPathSource(std::function<std::string(int item)> path) {
  mModel->SetPathSource(std::move(path), ButtonFace());
}

std::uint32_t TPictureGrid::ButtonFace() const {
  return palette().color(QPalette::Button).rgb() & 0xFFFFFFu;
}

bool TPictureGrid::event(QEvent* event) {
  // A window moved to a screen of another density: ones of the old ratio would be enlarged.
  if (event->type() == QEvent::ScreenChangeInternal) mModel->ForgetSharp();
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
  if (event->type() == QEvent::DevicePixelRatioChange) mModel->ForgetSharp();
#endif
  return QListView::event(event);
}

void TPictureGrid::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) mModel->SetButtonFace(ButtonFace());
  QListView::changeEvent(event);
}

int TPictureGrid::count() const { return mModel->rowCount(); }

void TPictureGrid::AddPicture(const QString& caption) { mModel->Add(caption); }

void TPictureGrid::ReplacePicture(int row, const QString& caption) {
  mModel->Replace(row, caption);
}

void TPictureGrid::RemovePicture(int row) { mModel->Remove(row); }

void TPictureGrid::ShowAdded() { mModel->Publish(); }

void TPictureGrid::clear() { mModel->Clear(); }

int TPictureGrid::SelectedRow() const {
  const QModelIndex current = selectionModel()->currentIndex();
  if (current.isValid() && selectionModel()->isSelected(current)) return current.row();
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.front().row();
}

std::vector<int> TPictureGrid::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedIndexes()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TPictureGrid::setCurrentRow(int row) {
  if (row < 0 || row >= count()) return;
  const QModelIndex index = mModel->index(row);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  scrollTo(index);
}

void TPictureGrid::resizeEvent(QResizeEvent* event) {
  QListView::resizeEvent(event);
  // What the view shows, part rows at both edges included: each repaint finds it made.
  const QSize cell = gridSize();
  const QSize view = viewport()->size();
  const int columns = std::max(1, view.width() / cell.width());
  const int rows = (view.height() + cell.height() - 1) / cell.height() + 1;
  mModel->SetKeep(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
}

void TPictureGrid::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    emit openRequested();
    return;
  }
  const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
  const bool plain = held == Qt::NoModifier;
  const bool shifted = held == Qt::ShiftModifier;
  switch (event->key()) {
    case Qt::Key_Delete:
      if (!plain) break;
      emit deleteRequested();
      return;
    case Qt::Key_M:
      if (!plain && !shifted) break;
      emit moveRequested(shifted);
      return;
    case Qt::Key_C:
      if (!plain && !shifted) break;
      emit copyRequested(shifted);
      return;
    case Qt::Key_F2:
      if (!plain) break;
      emit renameRequested();
      return;
    default:
      break;
  }
  QListView::keyPressEvent(event);
}

}  // namespace vexilo
