#include "pictures/PictureGrid.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QStringList>
#include <QStyledItemDelegate>
#include <algorithm>
#include <deque>
#include <unordered_map>
#include <utility>

#include "pictures/BitmapImage.h"

namespace vexilo {

// The grid's items: their captions, and their thumbnails from the source, made when painted.
// The last screenful made is kept, so the repaints of a listing do not unpack the same
// thumbnails again and again.
class TThumbnailListModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

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

  // How many of the last thumbnails made are kept.
  void SetKeep(std::size_t count) {
    mKeep = count;
    while (mKeptOrder.size() > mKeep) ForgetOldest();
  }

 private:
  void Forget() {
    mKept.clear();
    mKeptOrder.clear();
  }
  void ForgetOldest() const {
    mKept.erase(mKeptOrder.front());
    mKeptOrder.pop_front();
  }

  QStringList mCaptions;
  QStringList mPending;  // added, not shown yet
  std::function<Bitmap24(int)> mSource;
  std::size_t mKeep = 0;
  mutable std::unordered_map<int, QPixmap> mKept;
  mutable std::deque<int> mKeptOrder;  // oldest first
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
    const QPixmap thumbnail = mModel.Thumbnail(index.row());
    item.icon = QIcon();
    const QWidget* widget = option.widget;
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
    if (mode == QIcon::Normal) {
      painter->drawPixmap(place, thumbnail);
      return;
    }
    // As an icon would look: generated with the application's palette.
    QStyleOption look;
    look.palette = QGuiApplication::palette();
    painter->drawPixmap(place, style->generatedIconPixmap(mode, thumbnail, &look));
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
