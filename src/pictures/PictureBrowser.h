#pragma once
// The picture browser's operations on the grid, the preview and the status bar: listing a
// task's or a folder's pictures (BuildGrid), appending a downloaded picture, and answering a
// selection in the grid. Keeps grid item i and picture file list entry i the same picture.
// Main thread only.

#include <QObject>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "pictures/Bitmap24.h"

class QProgressBar;
class QWidget;

namespace vexilo {

class StatusSink;
class TImageFileList;
class TPictureGrid;
class TPreviewPane;

class TPictureBrowser : public QObject {
  Q_OBJECT

 public:
  // window is the main window, kept from input while a listing runs; every object is the
  // main window's and outlives the browser.
  TPictureBrowser(QWidget& window, TPictureGrid& grid, TPreviewPane& preview,
                  QProgressBar& progress, StatusSink& status, TImageFileList& pictures);

  // False while a grid build or an append runs.
  bool LoadingIdle() const { return mLoadingIdle; }

  // The task's share of a task selection: empties the grid and, when folder is not empty,
  // scans it and builds the grid. While a build runs the grid is left alone.
  void ListTaskFolder(std::string folder);
  // Empties the grid and with it the picture file list, so that later appends keep item i
  // and entry i the same picture.
  void ClearGrid();
  // A folder selected in the folder tree; nothing while a build runs or when it is no folder.
  void ListFolderPictures(std::string folder);
  // A picture a download has saved, with the thumbnail its worker made: nothing is decoded
  // here. One that arrives during a build is held and appended when the build ends.
  void AppendPicture(const std::string& path, const Bitmap24& thumbnail);
  // The grid's selection changed.
  void SelectPicture();
  // Shows the picture in the preview pane; on failure the pane shows its grey only.
  void ShowPreview(const std::string& path);
  // The grid's background as 0xRRGGBB, for thumbnails made off the main thread.
  std::uint32_t ButtonFace() const;

 private:
  // After a scan: the count into panel 0, then the grid build with input kept out.
  void ShowListing(const std::string& statusText);
  void BuildGrid();
  void AppendNow(const std::string& path, const Bitmap24& thumbnail);

  QWidget& mWindow;
  TPictureGrid& mGrid;
  TPreviewPane& mPreview;
  QProgressBar& mProgress;
  StatusSink& mStatus;
  TImageFileList& mPictures;
  bool mLoadingIdle = true;
  std::vector<std::pair<std::string, Bitmap24>> mHeldAppends;
};

// "Total 5 pictures." etc.: the status texts of the listings and of a selection.
std::string TaskListedText(int count);
std::string FolderListedText(int count);
std::string SelectedText(int count);

}  // namespace vexilo
