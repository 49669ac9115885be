#include "viewer/MainWindowViewerHost.h"

#include <QWidget>

#include "pictures/PictureGrid.h"

namespace vexilo {

TMainWindowViewerHost::TMainWindowViewerHost(QWidget& mainWindow, TPictureGrid& grid)
    : mMainWindow(mainWindow), mGrid(grid) {}

int TMainWindowViewerHost::GridCount() const { return mGrid.count(); }

int TMainWindowViewerHost::SelectedGridItem() const { return mGrid.SelectedRow(); }

void TMainWindowViewerHost::SelectGridItem(int index) {
  if (index < 0 || index >= mGrid.count()) return;
  // Cleared first, so the selection handling runs even when the item was selected already.
  mGrid.clearSelection();
  mGrid.setCurrentRow(index);
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
