#pragma once
// The viewer's host on the main window and its picture grid. Main thread only; both must
// outlive it.

#include "viewer/ViewerHost.h"

class QWidget;

namespace vexilo {

class TPictureGrid;

class TMainWindowViewerHost : public ViewerHost {
 public:
  TMainWindowViewerHost(QWidget& mainWindow, TPictureGrid& grid);

  int GridCount() const override;
  int SelectedGridItem() const override;
  void SelectGridItem(int index) override;
  void ShowMainWindow() override;
  void HideMainWindow() override;
  // Closes the main window, whose close runs its shut-down steps and ends the program; once.
  void ShutDownApplication() override;

 private:
  QWidget& mMainWindow;
  TPictureGrid& mGrid;
  bool mShutDownAsked = false;
};

}  // namespace vexilo
