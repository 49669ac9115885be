#include "pictures/PictureGrid.h"

#include <QAbstractListModel>
#include <QKeyEvent>
#include <QPixmap>
#include <QStringList>
#include <utility>

#include "pictures/BitmapImage.h"

namespace vexilo {

// The grid's items: their captions, and their thumbnails from the source, made when painted.
class TThumbnailListModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(mCaptions.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= mCaptions.size()) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return mCaptions[index.row()];
    if (role == Qt::DecorationRole && mSource) {
      try {
        return QPixmap::fromImage(ToQImage(mSource(index.row())));
      } catch (const std::exception&) {
        return {};  // out of memory: the item shows its caption only
      }
    }
    return {};
  }

  void Add(const QString& caption) { mPending.push_back(caption); }

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
    endResetModel();
  }

  void SetSource(std::function<Bitmap24(int)> source) { mSource = std::move(source); }

 private:
  QStringList mCaptions;
  QStringList mPending;  // added, not shown yet
  std::function<Bitmap24(int)> mSource;
};

TPictureGrid::TPictureGrid(QWidget* parent)
    : QListView(parent), mModel(new TThumbnailListModel(this)) {
  setModel(mModel);
  setViewMode(QListView::IconMode);
  setIconSize(QSize(kThumbnailSize, kThumbnailSize));
  setGridSize(QSize(kThumbnailSize + 24, kThumbnailSize + 28));
  setResizeMode(QListView::Adjust);
  setMovement(QListView::Static);
  setFlow(QListView::LeftToRight);
  setWrapping(true);
  setUniformItemSizes(true);
  setTextElideMode(Qt::ElideMiddle);
  setSelectionMode(QAbstractItemView::SingleSelection);
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

void TPictureGrid::ShowAdded() { mModel->Publish(); }

void TPictureGrid::clear() { mModel->Clear(); }

int TPictureGrid::SelectedRow() const {
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.front().row();
}

void TPictureGrid::setCurrentRow(int row) {
  if (row < 0 || row >= count()) return;
  const QModelIndex index = mModel->index(row);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  scrollTo(index);
}

void TPictureGrid::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    emit openRequested();
    return;
  }
  QListView::keyPressEvent(event);
}

}  // namespace vexilo
