#include "shell/FolderTree.h"

#include <QDir>
#include <QFileSystemModel>
#include <QKeyEvent>

namespace vexilo {

TFolderTree::TFolderTree(QWidget* parent) : QTreeView(parent), mModel(new QFileSystemModel(this)) {
  mModel->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
  mModel->setRootPath(QDir::rootPath());
  setModel(mModel);
  for (int column = 1; column < mModel->columnCount(); ++column) hideColumn(column);
  setHeaderHidden(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);

  for (QModelIndex index = mModel->index(QDir::homePath()); index.isValid();
       index = index.parent()) {
    expand(index);
  }
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) emit folderSelected(mModel->filePath(current));
          });
}

void TFolderTree::SetKeysAllowed(std::function<bool()> keysAllowed) {
  mKeysAllowed = std::move(keysAllowed);
}

void TFolderTree::keyPressEvent(QKeyEvent* event) {
  if (mKeysAllowed && !mKeysAllowed()) {
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}

}  // namespace vexilo
