#include "shell/Run.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <optional>
#include <unordered_map>
#include <utility>

#include "crawler/Crawler.h"
#include "crawler/PictureHarvester.h"
#include "downloader/DownloadScheduler.h"
#include "downloader/DownloadedPictureChecks.h"
#include "downloader/FailedRefetch.h"
#include "downloader/HeaderSizeProbe.h"
#include "downloader/PictureStatus.h"
#include "gallery/ExportLinks.h"
#include "gallery/GalleryGenerator.h"
#include "pictures/PictureReading.h"
#include "pictures/ThumbnailMaker.h"
#include "shell/DownloadSettings.h"
#include "tasks/TaskCommands.h"

namespace vexilo {
namespace {

// Rows are appended with the queue, one per queued picture, so they share their positions; a
// row whose link is not the picture's belongs to something else (another task's list).
bool RowIsPicture(const std::vector<PictureEntry>& rows, std::size_t position,
                  const QueuedPicture& picture) {
  return position < rows.size() &&
         picture.Url.ends_with(WithSpacesDecodedOnce(rows[position].Link));
}

}  // namespace

TRun::TRun(RunParts parts)
    : mParts(std::move(parts)),
      mTaskList(mParts.Folders.ProgramFolder),
      mStateFiles(mParts.Folders.ProgramFolder),
      mPictureCommands({mPictures, mParts.Grid, mParts.Status, mParts.Prompts}) {
  mThumbnailFace.store(mParts.Grid.ButtonFace());
  mScheduler = std::make_unique<DownloadScheduler>(
      mCrawlState, mRunState, mSettings, mRunningTask, mStateFiles, mParts.Prompts, mParts.Status,
      mParts.Reports, mParts.Timer,
      PictureHooks{
          [this](const std::string& savedPath) -> std::optional<Bitmap24> {
            ThumbnailResult made = MakeThumbnailResult(savedPath, mThumbnailFace.load());
            if (!made.Ok()) return std::nullopt;
            return made.Thumbnail.Unpack();
          },
          [this](const std::string& savedPath, const Bitmap24& thumbnail) {
            mPictureCommands.AppendPicture(savedPath, thumbnail);
          },
          [this](const std::string& savedPath) { return CheckDownloadedPicture(savedPath); },
          [this](std::int64_t queuePosition, const std::string& savedPath,
                 const std::string& status) { SetPictureStatus(queuePosition, savedPath, status); },
          [this](const std::string& savedPath, const std::string& finalUrl) {
            ShowFinalAddress(savedPath, finalUrl);
          }},
      mParts.Limits, DiskFloor{}, mParts.Retries);
  mScheduler->SetBrowserSession(mParts.Session);
  auto sizeProbe = std::make_unique<HeaderSizeProbe>(mSettings, mRunningTask);
  sizeProbe->SetBrowserSession(mParts.Session);
  mSizeProbe = std::move(sizeProbe);
  mCrawler = std::make_unique<Crawler>(
      mParts.Folders.ProgramFolder, mRunningTask, mCrawlState, mPictureRows, mRunState,
      mParts.Browser, mParts.Pump, mParts.Prompts, mParts.Status, static_cast<CrawlHooks&>(*this),
      mSettings.Advanced, mSizeProbe.get());
}

TRun::~TRun() = default;

void TRun::Start() {
  mPictureCommands.ClearGrid();
  // Each is loaded on its own: a broken task list must not leave the settings unloaded, or
  // the next save would blank the stored proxy and password. Only what loaded is saved.
  try {
    std::filesystem::create_directories(mParts.Folders.ProgramFolder /
                                        TaskStateFiles::kStateFolder);
    mStateFiles.RemoveStaleTemporaries();
    mTaskList.LoadTaskList();
  } catch (const std::exception& error) {
    mParts.Prompts.ShowError(error.what());
  }
  for (int i = 0; i < mTaskList.TaskCount(); ++i) mParts.Tree.AddTaskNode(mTaskList.TaskName(i));
  try {
    LoadSettings(mParts.Settings, mParts.Folders.DefaultDownFolder, mSettings);
    mSettingsLoaded = true;
  } catch (const std::exception& error) {
    mParts.Prompts.ShowError(error.what());
  }
  ApplyAdvancedSettings();
}

void TRun::AttachDialogs(RunDialogs dialogs) {
  mTaskCommands = std::make_unique<TaskCommands>(
      TaskCommandParts{mParts.Folders.ProgramFolder, mTaskList, mCurrentTask, mRunState, mSettings,
                       mParts.Tree, *this, mParts.Address, *this, dialogs.Wizard,
                       dialogs.TaskSettings, dialogs.DeleteTask, mParts.Prompts, mParts.Shell});
}

TaskCommands& TRun::Tasks() { return *mTaskCommands; }

void TRun::CreateGallery() {
  vexilo::CreateGallery({mParts.Folders.ProgramFolder,
                         mParts.Folders.ShippedFile(kGalleryTemplateFile), mPictures.Files,
                         [this](int i) { return mPictures.Thumbnails.at(i).Unpack(); },
                         mParts.Shell, mParts.Prompts});
}

void TRun::CopyLinkToClipboard(int row) {
  vexilo::CopyLinkToClipboard(mPictureRows, row, mParts.Shell);
}

void TRun::ExportLinks() {
  vexilo::ExportLinks(mPictureRows, mParts.Folders.ProgramFolder, mParts.Shell, mParts.Prompts);
}

void TRun::ShutDown() {
  // Each save is tried on its own: a task list that cannot be written must not keep the
  // crawl running or the settings unsaved.
  try {
    if (mTaskList.Loaded()) mTaskList.SaveTaskList();
  } catch (const std::exception&) {
  }
  try {
    if (mSettingsLoaded) SaveSettings(mParts.Settings, mSettings);
  } catch (const std::exception&) {
  }
  mRunState.ShuttingDown();
  mScheduler->Shutdown();
}

void TRun::ApplyAdvancedSettings() {
  SetPictureReading({mSettings.Advanced.ListModernPictures, mSettings.Advanced.ExifOrientation});
}

void TRun::DownloadTick() { mScheduler->Tick(); }

void TRun::ListTaskPictures(int node) {
  if (node < 0 || node >= mTaskList.TaskCount()) return;
  try {
    mPictureCommands.ListTaskFolder(mTaskList.TaskLine(node, TaskRecord::kTaskFolderLine));
  } catch (const std::exception& error) {
    mParts.Prompts.ShowError(error.what());
  }
  try {
    mCurrentTask = mTaskList.ReadTaskRecord(node);
    mPictureRows = mStateFiles.ReadPictureRows(mCurrentTask.FolderName);
  } catch (const std::exception& error) {
    mPictureRows.clear();
    mParts.Prompts.ShowError(error.what());
  }
  mParts.Window.ShowPictureRows(mPictureRows);
  if (mPictureRows.empty()) return;
  try {
    CrawlState saved;
    mStateFiles.LoadQueueState(mCurrentTask.FolderName, saved);
    ShowSavedStatuses(mCurrentTask.FolderName, saved, false);
  } catch (const std::exception&) {
    // The rows are shown without their statuses.
  }
}

void TRun::ClearPictures() { mPictureCommands.ClearGrid(); }

void TRun::RunCrawl() {
  mScheduler->SettleHandOuts();  // the running task's, before the crawl loads a task
  mRunningTask = mCurrentTask;
  mCrawler->RunCrawl();
}

void TRun::StartDownloads() {
  if (mRunState.ResumeRequested) OfferToRefetchFailed(mCrawlState, mParts.Prompts);
  if (!mPictureRows.empty()) ShowSavedStatuses(mRunningTask.FolderName, mCrawlState, true);
  mThumbnailFace.store(mParts.Grid.ButtonFace());
  std::vector<std::string> earlier;
  const size_t dispatched = static_cast<size_t>(std::max(0, mCrawlState.DispatchedCount));
  for (size_t i = 0; i < dispatched && i < mCrawlState.Queue.size(); ++i) {
    earlier.push_back(mCrawlState.Queue[i].SavePath);
  }
  auto checks = std::make_shared<DownloadedPictureChecks>(
      PictureCheckRules{mSettings.Advanced.KeepOneCopy, mSettings.Advanced.RealSizeFilter,
                        mRunningTask.MinWidth, mRunningTask.MinHeight},
      std::move(earlier));
  {
    std::lock_guard lock(mChecksLock);
    mChecks = std::move(checks);
  }
  mScheduler->StartCrawl();
}

std::string TRun::CheckDownloadedPicture(const std::string& savedPath) {
  std::shared_ptr<DownloadedPictureChecks> checks;
  {
    std::lock_guard lock(mChecksLock);
    checks = mChecks;
  }
  return checks ? checks->Check(savedPath) : "";
}

void TRun::SetPictureStatus(std::int64_t queuePosition, const std::string& savedPath,
                            const std::string& status) {
  const std::vector<QueuedPicture>& queue = mCrawlState.Queue;
  if (queuePosition >= 0 && static_cast<std::size_t>(queuePosition) < queue.size() &&
      queue[static_cast<std::size_t>(queuePosition)].SavePath == savedPath) {
    const auto row = static_cast<std::size_t>(queuePosition);
    if (RowIsPicture(mPictureRows, row, queue[row])) {
      mParts.Window.SetPictureRowStatus(static_cast<int>(row), status);
    }
    return;
  }
  // Handed out again (cut off or failed before): the last entry with its save path.
  if (const int row = RowOfDownload(savedPath); row >= 0) {
    mParts.Window.SetPictureRowStatus(row, status);
  }
}

int TRun::RowOfDownload(const std::string& savedPath) const {
  // Rows are appended with the queue, one per queued picture, so they share their positions;
  // the rows shown may belong to another task by now, and are then left alone.
  const std::vector<QueuedPicture>& queue = mCrawlState.Queue;
  for (std::size_t i = queue.size(); i-- > 0;) {
    if (queue[i].SavePath != savedPath) continue;
    return RowIsPicture(mPictureRows, i, queue[i]) ? static_cast<int>(i) : -1;
  }
  return -1;
}

void TRun::ShowFinalAddress(const std::string& savedPath, const std::string& finalUrl) {
  // Only shown: the row's own Link stays the address the page gave, which the list's file
  // keeps and by which the row is found again.
  if (const int row = RowOfDownload(savedPath); row >= 0) {
    mParts.Window.SetPictureRowLink(row, finalUrl);
  }
}

void TRun::ShowSavedStatuses(const std::string& folderName, const CrawlState& saved, bool waiting) {
  const std::vector<QueuedPicture>& queue = saved.Queue;
  const std::size_t shown = std::min(queue.size(), mPictureRows.size());
  const auto handedOut =
      static_cast<std::size_t>(std::clamp<std::int64_t>(saved.DispatchedCount, 0, shown));
  for (std::size_t i = 0; i < shown; ++i) {
    if (!RowIsPicture(mPictureRows, i, queue[i])) continue;
    if (i >= handedOut) {
      if (waiting) mParts.Window.SetPictureRowStatus(static_cast<int>(i), kWaitingStatus);
      continue;
    }
    // Handed out and still in the folder: fetched, unless it failed or was cut off (below).
    std::error_code error;
    if (std::filesystem::is_regular_file(queue[i].SavePath, error)) {
      mParts.Window.SetPictureRowStatus(static_cast<int>(i), kDoneStatus);
    }
  }
  std::unordered_map<std::string, std::size_t> rowOfPath;  // the last entry of a save path
  for (std::size_t i = 0; i < shown; ++i) rowOfPath[queue[i].SavePath] = i;
  auto show = [&](const std::string& savePath, const std::string& status) {
    auto found = rowOfPath.find(savePath);
    if (found != rowOfPath.end() &&
        RowIsPicture(mPictureRows, found->second, queue[found->second])) {
      mParts.Window.SetPictureRowStatus(static_cast<int>(found->second), status);
    }
  };
  for (const FailedPicture& picture : saved.Failed) {
    show(picture.SavePath, kFailedStatus + picture.Reason);
  }
  // A cut-off or running picture's file may be there, cut short.
  for (const QueuedPicture& picture : saved.CutOff) {
    show(picture.SavePath, waiting ? kWaitingStatus : "");
  }
  for (const std::string& savePath : mScheduler->SavePathsRunning(folderName)) {
    show(savePath, kDownloadingStatus);
  }
}

void TRun::PictureListReset() { mParts.Window.ShowPictureRows(mPictureRows); }

void TRun::PictureRowAdded(const PictureEntry& row) {
  mParts.Window.AddPictureRow(row);
  if (!mPictureRows.empty()) {
    mParts.Window.SetPictureRowStatus(static_cast<int>(mPictureRows.size() - 1), kWaitingStatus);
  }
}

void TRun::SetGridVisible(bool visible) { mParts.Window.SetGridVisible(visible); }

}  // namespace vexilo
