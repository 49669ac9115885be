#include "viewer/MainWindowViewerHost.h"

#include <QWidget>

#include "pictures/PictureGrid.h"

namespace vexilo {

TMainWindowViewerHost::TMainWindowViewerHost(QWidget& mainWindow, TPictureGrid& grid)
    : mMainWindow(mainWindow), mGrid(grid) {}

int TMainWindowViewerHost::GridCount() const { return mGrid.count(); }

int TMainWindowViewerHost::SelectedGridItem() const {
  const QList<QListWidgetItem*> selected = mGrid.selectedItems();
  return selected.isEmpty() ? -1 : mGrid.row(selected.front());
}

void TMainWindowViewerHost::SelectGridItem(int index) {
  if (index < 0 || index >= mGrid.count()) return;
  // Cleared first, so the selection handling runs even when the item was selected already.
  mGrid.clearSelection();
  mGrid.setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
  mGrid.scrollToItem(mGrid.item(index));
}

void TMainWindowViewerHost::ShowMainWindow() {
  mMainWindow.show();
  mMainWindow.raise();
  mMainWindow.activateWindow();
}

void TMainWindowViewerHost::HideMainWindow() { mMainWindow.hide(); }

void TMainWindowViewerHost::ShutDownApplication() {
  if (mShutDownAsked) return;
  mShutDownAsked = true;
  mMainWindow.close();
}

}  // namespace vexilo
