#include "pictures/PictureCommands.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <filesystem>
#include <new>

#include "pictures/DecodePicture.h"
#include "pictures/FileTimeText.h"
#include "pictures/PictureSorting.h"
#include "pictures/ThumbnailMaker.h"

namespace vexilo {

namespace {

// How long a build waits for the next thumbnail before it lets the window's events run: a
// large picture must not freeze the window.
constexpr std::chrono::milliseconds kBuildWait{25};

}  // namespace

std::string TaskListedText(int count) { return std::to_string(count) + " pictures are listed."; }
std::string FolderListedText(int count) { return "Total " + std::to_string(count) + " pictures."; }
std::string SelectedText(int count) { return "Total " + std::to_string(count) + " Pictures."; }
std::string GoneFolderText(const std::string& folder) {
  return "The folder \"" + folder + "\" is gone: it was removed or renamed outside Vexilo.";
}
std::string GoneTaskFolderText(const std::string& taskName, const std::string& folder) {
  return "The pictures of the task \"" + taskName + "\" are gone: its folder \"" + folder +
         "\" was removed or renamed outside Vexilo. Resume fetches them again.";
}

PictureCommands::PictureCommands(PictureCommandParts parts) : mParts(parts) {}

void PictureCommands::ListTaskFolder(std::string folder) {
  if (!mLoadingIdle) return;
  ClearGrid();
  if (folder.empty()) return;
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  mParts.Pictures.ScanFolder(folder);
  mListedFolder = folder;
  mListedAsTask = true;
  ShowListing(TaskListedText(mParts.Pictures.Count()));
}

void PictureCommands::ListAgain() {
  const std::string folder = mListedFolder;
  if (folder.empty()) return;
  if (mListedAsTask) {
    ListTaskFolder(folder);
  } else {
    ListFolderPictures(folder);
  }
}

void PictureCommands::ClearGrid() {
  mParts.Grid.ClearGrid();
  mParts.Pictures.Clear();
  mListedFolder.clear();
}

void PictureCommands::ListFolderPictures(std::string folder) {
  if (!mLoadingIdle || folder.empty()) return;
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    ClearGrid();
    mParts.Prompts.ShowMessage(GoneFolderText(folder));
    return;
  }
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  mParts.Pictures.ScanFolder(folder);
  mListedFolder = folder;
  mListedAsTask = false;
  ShowListing(FolderListedText(mParts.Pictures.Count()));
}

void PictureCommands::ShowListing(const std::string& statusText) {
  mParts.Status.SetStatusText(kCountPanel, statusText);
  if (mOrder != GridOrder{}) SortPictures(mParts.Pictures, mOrder);
  BuildGrid();
}

void PictureCommands::BuildGrid() {
  TImageFileList& files = mParts.Pictures;
  mLoadingIdle = false;
  const int count = files.Count();
  bool failed = false;
  // Whether the loop ends normally or not, the grid paints again and list entry i is grid
  // item i again: the entries left without a thumbnail go.
  auto finish = [&] {
    mParts.Grid.EndBuild();
    if (failed) files.RemoveWithoutThumbnail();
    mLoadingIdle = true;
    std::vector<HeldAppend> held;
    held.swap(mHeldAppends);
    for (const HeldAppend& append : held) {
      if (append.ReplacedPath.empty()) {
        AppendNow(append.Path, append.Thumbnail);
      } else {
        ReplacePicture(append.ReplacedPath, append.Path, append.Thumbnail);
      }
    }
  };
  mParts.Grid.BeginBuild(count);
  try {
    // Decoding runs ahead on the maker's threads while items are added here in order.
    ThumbnailMaker maker(files.Paths(), mParts.Grid.ButtonFace());
    // Entries 0 .. shown-1 are the grid's items: the grid may paint any of them meanwhile.
    int shown = 0;
    for (int i = 0; i < count; ++i) {
      while (!maker.WaitReady(kBuildWait)) mParts.Grid.BuildWaits();
      ThumbnailResult result = maker.Next();
      if (result.Ok()) {
        files.ShowAt(i, shown, std::move(result.Thumbnail));
        files.SetCurrentIndex(shown++);
        mParts.Grid.AddGridItem(files.CurrentFileName());
      } else {
        failed = true;
      }
      mParts.Grid.BuildStep(i);
    }
  } catch (...) {
    // Whatever the failure, it goes on to the caller: this only drops the items after it from
    // the list, so that list and grid stay in step.
    failed = true;
    finish();
    throw;
  }
  finish();
}

void PictureCommands::AppendPicture(const std::string& path, const Bitmap24& thumbnail) {
  if (!mLoadingIdle) {
    mHeldAppends.push_back({path, thumbnail, ""});
    return;
  }
  AppendNow(path, thumbnail);
}

void PictureCommands::ReplacePicture(const std::string& replacedPath, const std::string& path,
                                     const Bitmap24& thumbnail) {
  if (!mLoadingIdle) {
    mHeldAppends.push_back({path, thumbnail, replacedPath});
    return;
  }
  const int index = mParts.Pictures.IndexOf(replacedPath);
  if (index < 0) {
    AppendNow(path, thumbnail);
    return;
  }
  ShowAtItem(index, path, thumbnail);
}

void PictureCommands::ShowAtItem(int index, const std::string& path, const Bitmap24& thumbnail) {
  try {
    mParts.Pictures.Replace(index, path, PackedBitmap(thumbnail));
  } catch (const std::bad_alloc&) {
    return;  // the item keeps its picture until the next listing
  }
  mParts.Grid.ReplaceGridItem(index, std::filesystem::path(path).filename().string());
}

void PictureCommands::AppendNow(const std::string& path, const Bitmap24& thumbnail) {
  // Fetched again over its file (a Resume after a kill): the item it has shows it anew.
  if (const int index = mParts.Pictures.IndexOf(path); index >= 0) {
    ShowAtItem(index, path, thumbnail);
    return;
  }
  try {
    mParts.Pictures.Add(path, PackedBitmap(thumbnail));
    mParts.Grid.AddGridItem(std::filesystem::path(path).filename().string());
  } catch (const std::bad_alloc&) {
    // Out of memory: the picture is neither listed nor shown.
    return;
  }
  if (mViewer.PicturesAppended) mViewer.PicturesAppended();
}

void PictureCommands::SetOrder(GridOrder order) {
  if (!mLoadingIdle) return;
  mOrder = order;
  TImageFileList& files = mParts.Pictures;
  if (files.Count() == 0) return;
  SortPictures(files, mOrder);
  // The thumbnails moved with their entries: the items only need their captions again.
  mParts.Grid.BeginBuild(files.Count());
  for (const PictureItem& item : files.Items()) {
    mParts.Grid.AddGridItem(std::filesystem::path(item.Path).filename().string());
  }
  mParts.Grid.EndBuild();
}

void PictureCommands::RemoveItem(int index) {
  if (!mLoadingIdle || index < 0 || index >= mParts.Pictures.Count()) return;
  mParts.Pictures.RemoveAt(index);
  mParts.Grid.RemoveGridItem(index);
}

void PictureCommands::MoveItem(int index, const std::string& path) {
  if (!mLoadingIdle || index < 0 || index >= mParts.Pictures.Count()) return;
  mParts.Pictures.SetPath(index, path);
  mParts.Grid.ReplaceGridItem(index, std::filesystem::path(path).filename().string());
}

void PictureCommands::SelectPicture(int item) {
  TImageFileList& files = mParts.Pictures;
  if (item < 0 || files.Count() == 0) return;
  try {
    files.SetCurrentIndex(item);
    mParts.Status.SetStatusText(kCountPanel, SelectedText(files.Count()));
    std::string path = files.CurrentPath();
    mParts.Status.SetStatusText(kTimePanel, FileTimeText(path));
    ShowPreview(path);
  } catch (const std::exception&) {
    // A picture gone since the listing leaves the panel and the preview as they were.
  }
}

void PictureCommands::ShowPreview(const std::string& path) {
  mParts.Grid.HidePreview();
  try {
    // The pane never needs more pixels than its longer side; a JPEG decodes reduced to that.
    ReducedPicture picture = DecodeReducedPicture(path, std::max(mParts.Grid.PreviewSide(), 1),
                                                  nullptr, ColourTarget::Screen);
    mParts.Grid.ShowPreview(picture.Pixels, picture.FullWidth, picture.FullHeight);
  } catch (const std::exception&) {
    mParts.Grid.HidePreview();
  }
}

void PictureCommands::ViewMode() {
  // During a build the list also holds the entries still to come, without thumbnails.
  const auto& items = mParts.Pictures.Items();
  if (std::none_of(items.begin(), items.end(),
                   [](const PictureItem& item) { return !item.Thumbnail.Empty(); })) {
    mParts.Prompts.ShowMessage(kNoPictureSelected);
  }
  if (mViewer.Open) mViewer.Open();
}

}  // namespace vexilo
