#pragma once
// TPictureBrowser: the picture commands' PictureGridView on the main window's widgets: the
// grid, the preview pane and the status bar's progress bar. During a grid build it keeps
// user input from the window (with the busy cursor), lets events run after each item and
// shows the items added every few milliseconds, so the grid fills as they come.
// Main thread only.

#include <QElapsedTimer>
#include <QObject>
#include <memory>

#include "pictures/PictureGridView.h"

class QProgressBar;
class QWidget;

namespace vexilo {

class TPictureGrid;
class TPreviewPane;

class TPictureBrowser : public PictureGridView {
 public:
  // window is the main window, kept from input while a build runs; every widget is the
  // main window's and outlives the browser.
  TPictureBrowser(QWidget& window, TPictureGrid& grid, TPreviewPane& preview,
                  QProgressBar& progress);
  ~TPictureBrowser() override;
  TPictureBrowser(const TPictureBrowser&) = delete;
  TPictureBrowser& operator=(const TPictureBrowser&) = delete;

  void ClearGrid() override;
  void AddGridItem(const std::string& caption) override;
  void ReplaceGridItem(int index, const std::string& caption) override;
  void RemoveGridItem(int index) override;
  void BeginBuild(int count) override;
  void BuildStep(int index) override;
  void BuildWaits() override;
  void EndBuild() override;
  int PreviewSide() const override;
  void ShowPreview(const Bitmap24& pixels, int fullWidth, int fullHeight) override;
  void HidePreview() override;
  std::uint32_t ButtonFace() const override;

 private:
  QWidget& mWindow;
  TPictureGrid& mGrid;
  TPreviewPane& mPreview;
  QProgressBar& mProgress;
  std::unique_ptr<QObject> mInputBlock;  // set while a build runs
  QElapsedTimer mSinceShown;             // since a build last showed the items added
};

}  // namespace vexilo
