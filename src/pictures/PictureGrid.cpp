#include "pictures/PictureGrid.h"

#include <QKeyEvent>
#include <QPixmap>

namespace vexilo {

TPictureGrid::TPictureGrid(QWidget* parent) : QListWidget(parent) {
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
  QPalette face = palette();
  face.setColor(QPalette::Base, face.color(QPalette::Button));
  setPalette(face);
  connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit openRequested(); });
}

void TPictureGrid::AddPicture(const QImage& thumbnail, const QString& caption) {
  addItem(new QListWidgetItem(QIcon(QPixmap::fromImage(thumbnail)), caption));
}

void TPictureGrid::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    emit openRequested();
    return;
  }
  QListWidget::keyPressEvent(event);
}

}  // namespace vexilo
