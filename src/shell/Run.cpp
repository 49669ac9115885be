#include "shell/Run.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "crawler/Crawler.h"
#include "crawler/PictureHarvester.h"
#include "downloader/DownloadScheduler.h"
#include "downloader/DownloadedPictureChecks.h"
#include "downloader/HeaderSizeProbe.h"
#include "gallery/ExportLinks.h"
#include "gallery/GalleryGenerator.h"
#include "pictures/PictureReading.h"
#include "pictures/ThumbnailMaker.h"
#include "shell/DownloadSettings.h"
#include "tasks/TaskCommands.h"

namespace vexilo {

TRun::TRun(RunParts parts)
    : mParts(std::move(parts)),
      mTaskList(mParts.ProgramFolder),
      mStateFiles(mParts.ProgramFolder),
      mPictureCommands({mPictures, mParts.Grid, mParts.Status, mParts.Prompts}) {
  mThumbnailFace.store(mParts.Grid.ButtonFace());
  mScheduler = std::make_unique<DownloadScheduler>(
      mCrawlState, mFlags, mSettings, mRunningTask, mStateFiles, mParts.Prompts, mParts.Status,
      mParts.Reports, mParts.Timer,
      PictureHooks{
          [this](const std::string& savedPath) -> std::optional<Bitmap24> {
            ThumbnailResult made = MakeThumbnailResult(savedPath, mThumbnailFace.load());
            if (!made.Ok()) return std::nullopt;
            return std::move(made.Thumbnail);
          },
          [this](const std::string& savedPath, const Bitmap24& thumbnail) {
            mPictureCommands.AppendPicture(savedPath, thumbnail);
          },
          [this](const std::string& savedPath) { return CheckDownloadedPicture(savedPath); },
          [this](const std::string& savedPath, const std::string& status) {
            MarkRemovedPicture(savedPath, status);
          },
          [this](const std::string& savedPath, const std::string& finalUrl) {
            ShowFinalAddress(savedPath, finalUrl);
          }},
      mParts.Limits);
  mScheduler->SetBrowserSession(mParts.Session);
  mSizeProbe = std::make_unique<HeaderSizeProbe>(mSettings, mRunningTask);
  mCrawler = std::make_unique<Crawler>(
      mParts.ProgramFolder, mRunningTask, mCrawlState, mPictureRows, mFlags, mParts.Browser,
      mParts.Pump, mParts.Prompts, mParts.Status, static_cast<CrawlHooks&>(*this),
      mSettings.Advanced, mSizeProbe.get());
}

TRun::~TRun() = default;

void TRun::Start() {
  mPictureCommands.ClearGrid();
  mFlags.CrawlIdle = true;
  // Each is loaded on its own: a broken task list must not leave the settings unloaded, or
  // the next save would blank the stored proxy and password. Only what loaded is saved.
  try {
    std::filesystem::create_directories(mParts.ProgramFolder / TaskStateFiles::kStateFolder);
    mStateFiles.RemoveStaleTemporaries();
    mTaskList.LoadTaskList();
  } catch (const std::exception& error) {
    mParts.Prompts.ShowError(error.what());
  }
  for (int i = 0; i < mTaskList.TaskCount(); ++i) mParts.Tree.AddTaskNode(mTaskList.TaskName(i));
  try {
    LoadSettings(mParts.Settings, mParts.ProgramFolder, mSettings);
    mSettingsLoaded = true;
  } catch (const std::exception& error) {
    mParts.Prompts.ShowError(error.what());
  }
  ApplyAdvancedSettings();
}

void TRun::AttachDialogs(RunDialogs dialogs) {
  mTaskCommands = std::make_unique<TaskCommands>(
      TaskCommandParts{mParts.ProgramFolder, mTaskList, mCurrentTask, mFlags, mSettings,
                       mParts.Tree, *this, mParts.Address, *this, dialogs.Wizard,
                       dialogs.TaskSettings, dialogs.DeleteTask, mParts.Prompts, mParts.Shell});
}

TaskCommands& TRun::Tasks() { return *mTaskCommands; }

void TRun::CreateGallery() {
  vexilo::CreateGallery({mParts.ProgramFolder, mPictures.Files,
                         [this](int i) -> const Bitmap24& { return mPictures.Thumbnails.at(i); },
                         mParts.Shell, mParts.Prompts});
}

void TRun::CopyLinkToClipboard(int row) {
  vexilo::CopyLinkToClipboard(mPictureRows, row, mParts.Shell);
}

void TRun::ExportLinks() {
  vexilo::ExportLinks(mPictureRows, mParts.ProgramFolder, mParts.Shell, mParts.Prompts);
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
  mFlags.CrawlIdle = true;
  mFlags.StopRequested = true;
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
}

void TRun::ClearPictures() { mPictureCommands.ClearGrid(); }

void TRun::RunCrawl() {
  mRunningTask = mCurrentTask;
  mCrawler->RunCrawl();
}

void TRun::StartDownloads() {
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

int TRun::RowOfDownload(const std::string& savedPath) const {
  // Rows are appended with the queue, one per queued picture, so they share their positions;
  // the rows shown may belong to another task by now, and are then left alone.
  for (size_t i = mCrawlState.Queue.size(); i-- > 0;) {
    if (mCrawlState.Queue[i].SavePath != savedPath) continue;
    if (i < mPictureRows.size() &&
        mCrawlState.Queue[i].Url.ends_with(WithSpacesDecodedOnce(mPictureRows[i].Link))) {
      return static_cast<int>(i);
    }
    return -1;
  }
  return -1;
}

void TRun::MarkRemovedPicture(const std::string& savedPath, const std::string& status) {
  if (const int row = RowOfDownload(savedPath); row >= 0) {
    mParts.Window.SetPictureRowStatus(row, status);
  }
}

void TRun::ShowFinalAddress(const std::string& savedPath, const std::string& finalUrl) {
  // Only shown: the row's own Link stays the address the page gave, which the list's file
  // keeps and by which the row is found again.
  if (const int row = RowOfDownload(savedPath); row >= 0) {
    mParts.Window.SetPictureRowLink(row, finalUrl);
  }
}

void TRun::PictureListReset() { mParts.Window.ShowPictureRows(mPictureRows); }

void TRun::PictureRowAdded(const PictureEntry& row) { mParts.Window.AddPictureRow(row); }

void TRun::SetGridVisible(bool visible) { mParts.Window.SetGridVisible(visible); }

}  // namespace vexilo
