#pragma once
// The commands on the pictures the grid shows: listing a task's or a folder's pictures into
// the picture file list and the grid, appending a downloaded picture, the grid's selection and
// preview, and View Mode. (The gallery and the export commands read the same list from
// TRun: gallery/ builds on pictures/, so pictures/ cannot call it.) Keeps grid item i and
// file list entry i the same picture. Main thread only.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/PictureOrder.h"
#include "core/StatusSink.h"
#include "core/UserPrompts.h"
#include "pictures/Bitmap24.h"
#include "pictures/ImageFileList.h"
#include "pictures/PictureGridView.h"

namespace vexilo {

inline constexpr const char* kNoPictureSelected = "No picture is selected!";

// "Total 5 pictures." etc.: the status texts of the listings and of a selection.
std::string TaskListedText(int count);
std::string FolderListedText(int count);
std::string SelectedText(int count);
// A folder to list that no longer exists; and a task's folder gone while it has pictures.
std::string GoneFolderText(const std::string& folder);
std::string GoneTaskFolderText(const std::string& taskName, const std::string& folder);

// What the commands work on; every member outlives them.
struct PictureCommandParts {
  TImageFileList& Pictures;
  PictureGridView& Grid;
  StatusSink& Status;
  UserPrompts& Prompts;
};

class PictureCommands {
 public:
  explicit PictureCommands(PictureCommandParts parts);
  PictureCommands(const PictureCommands&) = delete;
  PictureCommands& operator=(const PictureCommands&) = delete;

  // False while a grid build runs.
  bool LoadingIdle() const { return mLoadingIdle; }

  // The task's share of a task selection: empties the grid and, when folder is not empty,
  // scans it and builds the grid. While a build runs the grid is left alone.
  void ListTaskFolder(std::string folder);
  // Empties the grid and with it the picture file list, so that later appends keep item i and
  // entry i the same picture.
  void ClearGrid();
  // A folder selected in the folder tree; nothing while a build runs. One that is gone (removed
  // outside Vexilo) empties the grid and says so.
  void ListFolderPictures(std::string folder);
  // The folder the grid lists (without a trailing "/"), or "" when none.
  const std::string& ListedFolder() const { return mListedFolder; }
  // Lists that folder again, as a task's or as a folder's.
  void ListAgain();
  // A picture a download has saved, with the thumbnail its worker made: nothing is decoded
  // here. One that arrives during a build is held and appended when the build ends.
  void AppendPicture(const std::string& path, const Bitmap24& thumbnail);
  // A download that took the place of the smaller copy at replacedPath: its item shows the
  // new picture; one not listed (yet) is appended.
  void ReplacePicture(const std::string& replacedPath, const std::string& path,
                      const Bitmap24& thumbnail);
  // View > Sort By: the order every listing is put in; the pictures listed now are put in
  // it at once, without reading them again. Not during a build.
  void SetOrder(GridOrder order);
  const GridOrder& Order() const { return mOrder; }
  // The picture of item index left the grid (moved to the Trash or away): its entry and its
  // item go. And the picture of item index is now at path (renamed): the item's caption says
  // so. Not during a build.
  void RemoveItem(int index);
  void MoveItem(int index, const std::string& path);

  // The grid's selection changed to item (-1: nothing selected).
  void SelectPicture(int item);
  // Shows the picture in the preview pane; on failure the pane shows its grey only.
  void ShowPreview(const std::string& path);
  // File > View Mode, the tool bar button and the grid's open (double-click, Enter): says
  // kNoPictureSelected when the grid is empty, then opens the viewer (which opens nothing on
  // an empty grid).
  void ViewMode();

  // The viewer window, once the window has made it: View Mode opens it, and it is told of
  // every picture appended, so that its count stays right. Empty hooks detach it.
  struct ViewerHooks {
    std::function<void()> Open;
    std::function<void()> PicturesAppended;
  };
  void AttachViewer(ViewerHooks hooks) { mViewer = std::move(hooks); }

 private:
  // After a scan: the count into the count panel, then the grid build.
  void ShowListing(const std::string& statusText);
  void BuildGrid();
  void AppendNow(const std::string& path, const Bitmap24& thumbnail);
  // Entry and grid item index become the picture at path.
  void ShowAtItem(int index, const std::string& path, const Bitmap24& thumbnail);

  PictureCommandParts mParts;
  bool mLoadingIdle = true;
  GridOrder mOrder;
  std::string mListedFolder;
  bool mListedAsTask = false;
  struct HeldAppend {
    std::string Path;
    Bitmap24 Thumbnail;
    std::string ReplacedPath;  // "" for a plain append
  };
  std::vector<HeldAppend> mHeldAppends;
  ViewerHooks mViewer;
};

}  // namespace vexilo
