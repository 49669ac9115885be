#include "shell/Run.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <optional>
#include <unordered_map>
#include <utility>

#include "crawler/Crawler.h"
#include "crawler/SavePaths.h"
#include "downloader/DownloadPool.h"
#include "downloader/DownloadScheduler.h"
#include "downloader/DownloadedPictureChecks.h"
#include "downloader/FailedRefetch.h"
#include "downloader/HeaderSizeProbe.h"
#include "downloader/LargestCopies.h"
#include "downloader/PartialFile.h"
#include "downloader/PictureStatus.h"
#include "downloader/RobotsFetch.h"
#include "downloader/SavedStatuses.h"
#include "gallery/ExportLinks.h"
#include "gallery/GalleryGenerator.h"
#include "pictures/PictureCopies.h"
#include "pictures/PictureReading.h"
#include "pictures/ThumbnailMaker.h"
#include "shell/DownloadSettings.h"
#include "tasks/CheckSchedule.h"
#include "tasks/NewPictureCheck.h"
#include "tasks/TaskCommands.h"

namespace vexilo {
namespace {

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

}  // namespace

TRun::TRun(RunParts parts)
    : mParts(std::move(parts)),
      mTaskList(mParts.Folders.ProgramFolder),
      mStateFiles(mParts.Folders.ProgramFolder),
      mPictureCommands({mPictures, mParts.Grid, mParts.Status, mParts.Prompts}),
      mSortingOut({mPictures, mPictureCommands, mParts.Shell, mParts.Prompts, mSettings,
                   [this] { SaveSettingsNow(); },
                   [this](const SortedOut& change) { PictureSortedOut(change); }}) {
  mThumbnailFace.store(mParts.Grid.ButtonFace());
  mScheduler = std::make_unique<DownloadScheduler>(SchedulerParts{
      .Crawl = mCrawlState,
      .Run = mRunState,
      .Settings = mSettings,
      .Task = mRunningTask,
      .StateFiles = mStateFiles,
      .Prompts = mParts.Prompts,
      .Status = mParts.Status,
      .Timer = mParts.Timer,
      .Pictures = PictureHooks{
          [this](const std::string& savedPath) { return MakeDownloadThumbnail(savedPath); },
          [this](const std::string& savedPath, const Bitmap24& thumbnail) {
            SaveKeptCopies();
            // A smaller copy replaced before its own report came is not shown.
            if (!mReplacedPaths.contains(savedPath)) {
              mPictureCommands.AppendPicture(savedPath, thumbnail);
            }
          },
          [this](const std::string& savedPath) { return CheckDownloadedPicture(savedPath); },
          [this](std::int64_t queuePosition, const std::string& savedPath,
                 const std::string& status) { SetPictureStatus(queuePosition, savedPath, status); },
          [this](const std::string& savedPath, const std::string& finalUrl) {
            ShowFinalAddress(savedPath, finalUrl);
          },
          [this] {
            ShowNewPictureCount();
            return mUnshownPictures.TakeNote();
          },
          [this](const std::string& replacedPath, const std::string& savedPath,
                 const Bitmap24& thumbnail) {
            SaveKeptCopies();
            mReplacedPaths.insert(replacedPath);
            mPictureCommands.ReplacePicture(replacedPath, savedPath, thumbnail);
          }},
      .MakePool = ThreadPool(mParts.Reports, mParts.Limits),
      .Retries = mParts.Retries});
  mScheduler->SetBrowserSession(mParts.Session);
  mScheduler->SetPacing(&mPacing);
  mRobots = std::make_unique<RobotsCache>(mSettings, &mPacing);
  auto sizeProbe = std::make_unique<HeaderSizeProbe>(mSettings, mRunningTask);
  sizeProbe->SetBrowserSession(mParts.Session);
  mSizeProbe = std::move(sizeProbe);
  mCrawler = std::make_unique<Crawler>(
      mParts.Folders.ProgramFolder, mRunningTask, mCrawlState, mPictureRows, mRunState,
      mParts.Browser, mParts.Pump, mParts.Prompts, mParts.Status, static_cast<CrawlHooks&>(*this),
      mSettings.Advanced, mSizeProbe.get());
  mCrawler->SetPoliteness(mRobots.get(), &mPacing);
}

TRun::~TRun() = default;

void TRun::Start() {
  mPictureCommands.ClearGrid();
  // Each is loaded on its own: a broken task list must not leave the settings unloaded, or
  // the next save would blank the stored proxy and password. Only what loaded is saved.
  try {
    std::filesystem::create_directories(mParts.Folders.ProgramFolder /
                                        TaskStateFiles::kStateFolder);
    mStateFiles.RecoverKilledSaves();
    mTaskList.LoadTaskList();
    if (!mTaskList.UnreadableBlocks().empty()) {
      mParts.Prompts.ShowError(
          UnreadableBlocksMessage(mTaskList.FilePath(), mTaskList.UnreadableBlocks()));
    }
  } catch (const std::exception& error) {
    mParts.Prompts.ShowError(error.what());
  }
  // No download runs yet: what a killed run was writing is of no use now.
  for (int i = 0; i < mTaskList.TaskCount(); ++i) {
    RemovePartialFiles(TaskFolderOf(mTaskList.TaskLine(i, TaskRecord::kTaskFolderLine)));
  }
  for (int i = 0; i < mTaskList.TaskCount(); ++i) mParts.Tree.AddTaskNode(mTaskList.TaskName(i));
  try {
    std::string notice;
    mArchive = PictureArchive::Open(mParts.Folders.ProgramFolder, mParts.Calendar, notice);
    if (!notice.empty()) mParts.Prompts.ShowMessage(notice);
  } catch (const std::exception& error) {
    // Everything but the checks for new pictures works without it.
    mParts.Prompts.ShowError(error.what());
  }
  try {
    LoadSettings(mParts.Settings, mParts.Folders.DefaultDownFolder, mSettings);
    mSettingsLoaded = true;
  } catch (const std::exception& error) {
    mParts.Prompts.ShowError(error.what());
  }
  mPictureCommands.SetOrder(mSettings.Order);
  ApplyAdvancedSettings();
}

void TRun::SetGridOrder(GridOrder order) {
  mPictureCommands.SetOrder(order);
  if (mPictureCommands.Order() == mSettings.Order) return;
  mSettings.Order = mPictureCommands.Order();
  SaveSettingsNow();
}

void TRun::SaveSettingsNow() {
  if (!mSettingsLoaded) return;
  try {
    SaveSettings(mParts.Settings, mSettings);
  } catch (const std::exception& error) {
    mParts.Prompts.ShowError(error.what());
  }
}

void TRun::PictureSortedOut(const SortedOut& change) {
  if (change.Kind == SortedOutKind::Copied) return;
  const std::string folder = std::filesystem::path(change.From).parent_path().string();
  std::string task;
  for (int i = 0; i < mTaskList.TaskCount() && task.empty(); ++i) {
    if (!mTaskList.Readable(i) ||
        TaskFolderOf(mTaskList.TaskLine(i, TaskRecord::kTaskFolderLine)) != folder) {
      continue;
    }
    try {
      task = mTaskList.ReadTaskRecord(i).FolderName;
    } catch (const std::exception&) {
    }
  }
  if (task.empty()) return;  // a folder of no task: nothing more to follow
  const bool renamed = change.Kind == SortedOutKind::Renamed;
  const std::string reason = change.Kind == SortedOutKind::Trashed
                                 ? std::string(kRemovedByYouReason)
                                 : kMovedByUserReason + change.To;
  // The running task's state is in memory and saved with it; another's is in its files.
  const bool loaded = Busy() && mRunningTask.FolderName == task;
  try {
    std::vector<PictureEntry> rows;
    CrawlState saved;
    if (!loaded) {
      if (renamed) {
        mStateFiles.LoadCrawlState(task, rows, saved);
      } else {
        mStateFiles.LoadQueueState(task, saved);
      }
    }
    CrawlState& state = loaded ? mCrawlState : saved;
    std::optional<std::size_t> entry;
    for (std::size_t i = state.Queue.size(); i-- > 0 && !entry;) {
      if (state.Queue[i].SavePath == change.From) entry = i;
    }
    if (!entry) return;  // put there by hand, not downloaded by the task
    const std::string url = state.Queue[*entry].Url;
    if (renamed) {
      state.Queue[*entry].SavePath = change.To;
      if (!loaded) mStateFiles.SaveCrawlState(task, rows, state);
    } else if (loaded) {
      state.Removed.push_back({url, change.From, reason});
    } else {
      mStateFiles.AppendFailed(task, {}, {{url, change.From, reason}});
    }
    if (mArchive && mArchive->HasTask(task)) {
      if (renamed) {
        mArchive->Renamed(task, change.From, change.To);
      } else {
        mArchive->RemovedByUser(task, url);
      }
    }
    if (!renamed && mRowsOwner == task && *entry < mPictureRows.size()) {
      mParts.Window.SetPictureRowStatus(static_cast<int>(*entry), reason);
    }
  } catch (const std::exception& error) {
    mParts.Prompts.ShowError(error.what());
  }
}

void TRun::AttachDialogs(RunDialogs dialogs) {
  mTaskCommands = std::make_unique<TaskCommands>(TaskCommandParts{
      mParts.Folders.ProgramFolder, mTaskList, mCurrentTask, mRunState, mSettings, mParts.Tree,
      *this, mParts.Address, *this, dialogs.Wizard, dialogs.TaskSettings, dialogs.DeleteTask,
      mParts.Prompts, mParts.Shell, mArchive.get()});
}

TaskCommands& TRun::Tasks() { return *mTaskCommands; }

void TRun::CreateGallery() {
  // The window runs while a modern gallery is made, the menu entry included.
  if (mMakingGallery) return;
  const std::optional<bool> modern = AskModernGallery(mParts.Prompts, mSettings.ModernGallery);
  if (!modern) return;
  mSettings.ModernGallery = *modern;
  // A gallery folder is named after what is listed: a task's folder carries its name.
  const std::string listed = mPictureCommands.ListedFolder();
  std::string name;
  if (mParts.Folders.NewGalleryFolders) {
    name = std::filesystem::path(listed).filename().string();
    if (name.empty()) name = "Gallery";
  }
  GalleryParts parts{mParts.Folders.GalleriesFolder,
                     name,
                     mParts.Folders.ShippedFile(kGalleryTemplateFile),
                     mPictures,
                     [this](int i) { return mPictures.Items().at(i).Thumbnail.Unpack(); },
                     mParts.Shell,
                     mParts.Prompts};
  if (!*modern) {
    vexilo::CreateGallery(parts);
    return;
  }
  const std::unordered_map<std::string, ModernGalleryPicture> origins = PictureOrigins();
  parts.OriginOf = [&](int i) {
    const auto found =
        origins.find(std::filesystem::path(mPictures.Items().at(static_cast<std::size_t>(i)).Path)
                         .lexically_normal()
                         .string());
    return found != origins.end() ? found->second : ModernGalleryPicture{};
  };
  // A crawl's progress keeps its panel.
  const bool showing = mRunState.CrawlIdle();
  const int count = mPictures.Count();
  parts.Waiting = [this, showing, count](int done) {
    if (showing) {
      mParts.Status.SetStatusText(kProgressPanel, MakingGalleryText(done, count));
    }
    mParts.Pump.ProcessEvents();
  };
  mMakingGallery = true;
  vexilo::CreateModernGallery(parts);
  mMakingGallery = false;
  if (showing) mParts.Status.SetStatusText(kProgressPanel, "");
}

std::vector<std::string> TRun::RowSavePaths() const {
  std::vector<std::string> paths;
  if (!mRowsOwner || mPictureRows.empty()) return paths;
  CrawlState saved;
  const CrawlState* state = &mCrawlState;
  if (*mRowsOwner != mRunningTask.FolderName || mCrawlState.Queue.empty()) {
    try {
      mStateFiles.LoadQueueState(*mRowsOwner, saved);
    } catch (const std::exception&) {
      return paths;  // the rows go without their save paths
    }
    state = &saved;
  }
  const std::size_t rows = std::min(mPictureRows.size(), state->Queue.size());
  for (std::size_t i = 0; i < rows; ++i) paths.push_back(state->Queue[i].SavePath);
  return paths;
}

std::unordered_map<std::string, ModernGalleryPicture> TRun::PictureOrigins() const {
  std::unordered_map<std::string, ModernGalleryPicture> origins;
  const std::vector<std::string> savePaths = RowSavePaths();
  for (std::size_t i = 0; i < savePaths.size(); ++i) {
    if (savePaths[i].empty()) continue;
    const PictureEntry& row = mPictureRows[i];
    origins[std::filesystem::path(savePaths[i]).lexically_normal().string()] =
        ModernGalleryPicture{.Path = {}, .Address = row.ShownLink(), .Page = row.Page};
  }
  return origins;
}

void TRun::FindCopies() {
  if (mFindingCopies || !mPictureCommands.LoadingIdle()) return;
  const std::string folder = mPictureCommands.ListedFolder();
  if (folder.empty() || mPictures.Count() == 0) {
    mParts.Prompts.ShowMessage(kNoPictureSelected);
    return;
  }
  mFindingCopies = true;
  // A crawl's progress keeps its panel.
  const bool showing = mRunState.CrawlIdle();
  if (showing) mParts.Status.SetStatusText(kProgressPanel, kFindingCopiesText);
  std::vector<CopyGroup> groups;
  try {
    groups = FindPictureCopies(mPictures.Paths(), [this] { mParts.Pump.ProcessEvents(); });
  } catch (const std::exception& error) {
    mParts.Prompts.ShowError(error.what());
  }
  mFindingCopies = false;
  if (showing) mParts.Status.SetStatusText(kProgressPanel, "");
  // Another listing meanwhile: the groups are no longer what the grid shows.
  if (mPictureCommands.ListedFolder() != folder) return;
  if (groups.empty()) {
    mParts.Prompts.ShowMessage(kNoCopiesText);
    return;
  }
  if (!mParts.Prompts.AskYesNo(CopyGroupsQuestion(groups))) return;
  std::vector<std::string> kept;
  for (const CopyGroup& group : groups) {
    for (const std::string& copy : group.Smaller) {
      if (!mParts.Shell.MoveToTrash(copy)) kept.push_back(copy);
    }
  }
  mPictureCommands.ListAgain();
  if (!kept.empty()) {
    mParts.Prompts.ShowError(std::to_string(kept.size()) +
                             " copies could not be moved to the Trash, the first of them " +
                             kept.front());
  }
}

void TRun::CopyLinkToClipboard(int row) {
  vexilo::CopyLinkToClipboard(mPictureRows, row, mParts.Shell);
}

void TRun::ExportLinks() {
  vexilo::ExportLinks(mPictureRows, mParts.Folders.ProgramFolder, mParts.Shell, mParts.Prompts);
}

void TRun::ExportCsv() {
  std::vector<std::string> statuses;
  statuses.reserve(mPictureRows.size());
  for (std::size_t i = 0; i < mPictureRows.size(); ++i) {
    statuses.push_back(mParts.Window.PictureRowStatus(static_cast<int>(i)));
  }
  vexilo::ExportCsv(mPictureRows, statuses, RowSavePaths(), mParts.Folders.ProgramFolder,
                    mParts.Shell, mParts.Prompts);
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

void TRun::DownloadTick() {
  mScheduler->Tick();
  if (mCheck && !mCheck->Ended && mRunState.StopRequested()) EndCheck("stopped");
}

void TRun::ListTaskPictures(int node) {
  if (node < 0 || node >= mTaskList.TaskCount()) return;
  if (!mTaskList.Readable(node)) {
    // Its lines may be another task's: nothing of it is listed (start-up named it).
    mPictureCommands.ClearGrid();
    mPictureRows.clear();
    mRowsOwner.reset();
    mParts.Window.ShowPictureRows(mPictureRows);
    return;
  }
  try {
    mPictureCommands.ListTaskFolder(mTaskList.TaskLine(node, TaskRecord::kTaskFolderLine));
  } catch (const std::exception& error) {
    mParts.Prompts.ShowError(error.what());
  }
  try {
    mCurrentTask = mTaskList.ReadTaskRecord(node);
    mPictureRows = mStateFiles.ReadPictureRows(mCurrentTask.FolderName);
    mRowsOwner = mCurrentTask.FolderName;
  } catch (const std::exception& error) {
    mPictureRows.clear();
    mRowsOwner.reset();
    mParts.Prompts.ShowError(error.what());
  }
  mParts.Window.ShowPictureRows(mPictureRows);
  if (mPictureRows.empty()) return;
  if (const std::string folder = mPictureCommands.ListedFolder();
      !folder.empty() && !IsFolder(folder)) {
    mParts.Prompts.ShowMessage(GoneTaskFolderText(mCurrentTask.Name, folder));
  }
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
  mCheck.reset();
  CrawlCurrentTask({});
}

void TRun::RunCheck(KnownPictures known) {
  mCheck = CheckProgress{};
  mCheck->KnownContents = std::move(known.Contents);
  mCheck->TaskName = mCurrentTask.Name;
  mCheck->Unattended = mUnattendedStart;
  mScheduler->SetCompletionBox(!mUnattendedStart);
  CrawlCurrentTask(known.Urls);
  EndCheckIfCrawlEnded();
}

void TRun::StartUnattendedCheck(int task) {
  const std::string name =
      task >= 0 && task < mTaskList.TaskCount() ? mTaskList.TaskName(task) : std::string();
  if (name.empty() || !mTaskCommands) {
    if (CheckEnded) CheckEnded({.TaskName = name, .Error = "no such task"});
    return;
  }
  mTaskCommands->SelectNode(task);
  mUnattendedStart = true;
  std::string refusal = mTaskCommands->CheckTask(task, false);
  mUnattendedStart = false;
  // A check that ran has told its end already, or tells it when its downloads end.
  if (!refusal.empty() && CheckEnded) CheckEnded({.TaskName = name, .Error = std::move(refusal)});
}

void TRun::StartDueCheck() {
  if (Busy() || !mTaskCommands) return;
  const std::vector<int> due =
      DueTasks(mTaskList, mParts.Folders.ProgramFolder, mParts.Calendar.Now());
  if (!due.empty()) StartUnattendedCheck(due.front());
}

bool TRun::Busy() const {
  return !mRunState.CrawlIdle() || (mCheck && !mCheck->Ended) || mScheduler->ActiveWorkers() > 0 ||
         mScheduler->OfferedDownloads() > 0;
}

void TRun::EndCheckIfCrawlEnded() {
  if (!mCheck || mCheck->Ended) return;
  const RunPhase phase = mRunState.Phase();
  if (phase == RunPhase::Failed) {
    // Nobody is there to press Stop; the reason stays in the progress panel.
    if (mCheck->Unattended) mRunState.StopPressed();
    EndCheck("its crawl failed: " + mParts.Status.StatusText(kProgressPanel));
  } else if (phase == RunPhase::Stopped) {
    EndCheck("stopped");
  }
}

void TRun::EndCheck(std::string error) {
  if (!mCheck || mCheck->Ended) return;
  mCheck->Ended = true;
  mScheduler->SetCompletionBox(true);
  const CheckOutcome outcome{.TaskName = mCheck->TaskName,
                             .NewPictures = mCheck->NewPictures,
                             .FailedPictures = static_cast<int>(mCheck->FailedPaths.size()),
                             .Error = std::move(error)};
  if (CheckEnded) CheckEnded(outcome);
}

void TRun::CrawlCurrentTask(const std::unordered_set<std::string>& knownPictures) {
  mScheduler->SettleHandOuts();  // the running task's, before the crawl loads a task
  mRunningTask = mCurrentTask;
  mOtherTasksContents.clear();
  if (!mSettings.Advanced.NeverTwiceAcrossTasks || !mArchive) {
    mCrawler->RunCrawl(knownPictures);
    return;
  }
  KnownPictures others;
  try {
    others = mArchive->OtherTasksPictures(mRunningTask.FolderName);
  } catch (const std::exception&) {
    // The crawl goes on as if the option were off.
  }
  mOtherTasksContents = std::move(others.Contents);
  others.Urls.insert(knownPictures.begin(), knownPictures.end());
  mCrawler->RunCrawl(others.Urls);
}

std::unordered_set<std::uint64_t> TRun::KnownContents() const {
  std::unordered_set<std::uint64_t> known = mOtherTasksContents;
  if (mCheck) known.insert(mCheck->KnownContents.begin(), mCheck->KnownContents.end());
  return known;
}

void TRun::ArchiveQueued(const QueuedPicture& picture) {
  if (!mArchive) return;
  try {
    mArchive->Queued(mRunningTask.FolderName, picture.Url, picture.SavePath);
  } catch (const std::exception&) {
    // The next check fetches it again at worst.
  }
}

void TRun::ArchiveFetched(const QueuedPicture& picture) {
  if (!mArchive) return;
  try {
    mArchive->Fetched(mRunningTask.FolderName, picture.Url, FactsOfFile(picture.SavePath));
  } catch (const std::exception&) {
    // Known by its address still; only its content is not.
  }
}

void TRun::ShowNewPictureCount() {
  if (!mCheck) return;
  mParts.Status.SetStatusText(kCountPanel, NewPicturesText(mCheck->NewPictures));
  EndCheck("");
}

void TRun::StartDownloads() {
  if (mArchive) {
    try {
      // What the task had before the archive knew it, before Resume fetches missing files.
      EnterTaskOnce(*mArchive, mRunningTask.FolderName, mCrawlState, IsRegularFile);
    } catch (const std::exception&) {
      // A check enters it later.
    }
  }
  if (mCheck) mCheck->FirstNewEntry = mCrawlState.Queue.size();
  if (mRunState.ResumeRequested) {
    // A check's start fetches its failed pictures again without asking.
    if (!mCheck) OfferToRefetchFailed(mCrawlState, mParts.Prompts);
    RefetchMissing(mCrawlState, mScheduler->SavePathsRunning(mRunningTask.FolderName),
                   IsRegularFile);
  }
  if (!mPictureRows.empty()) ShowSavedStatuses(mRunningTask.FolderName, mCrawlState, true);
  mThumbnailFace.store(mParts.Grid.ButtonFace());
  mUnshownPictures.Start(mRunningTask.FolderName);
  std::vector<std::string> earlier;
  const size_t dispatched = static_cast<size_t>(std::max(0, mCrawlState.DispatchedCount));
  for (size_t i = 0; i < dispatched && i < mCrawlState.Queue.size(); ++i) {
    earlier.push_back(mCrawlState.Queue[i].SavePath);
  }
  auto checks = std::make_shared<DownloadedPictureChecks>(
      PictureCheckRules{mSettings.Advanced.KeepOneCopy, mSettings.Advanced.RealSizeFilter,
                        mRunningTask.MinWidth, mRunningTask.MinHeight},
      std::move(earlier), KnownContents());
  std::shared_ptr<LargestCopies> copies;
  if (mSettings.Advanced.KeepLargestCopy) {
    try {
      copies = std::make_shared<LargestCopies>(mStateFiles.StateFolder(mRunningTask.FolderName));
    } catch (const std::exception&) {
      // A task whose state folder cannot be named keeps every copy.
    }
  }
  mReplacedPaths.clear();
  {
    std::lock_guard lock(mChecksLock);
    mChecks = std::move(checks);
    mCopies = std::move(copies);
  }
  mScheduler->StartCrawl();
}

TRun::DownloadChecks TRun::Checks() {
  std::lock_guard lock(mChecksLock);
  return {mChecks, mCopies};
}

MadeThumbnail TRun::MakeDownloadThumbnail(const std::string& savedPath) {
  const std::shared_ptr<LargestCopies> copies = Checks().Copies;
  ThumbnailResult made = copies ? MakeSignedThumbnailResult(savedPath, mThumbnailFace.load())
                                : MakeThumbnailResult(savedPath, mThumbnailFace.load());
  if (!made.Ok()) {
    mUnshownPictures.CountIfModern(savedPath);
    return {};
  }
  MadeThumbnail result(made.Thumbnail.Unpack());
  if (copies && made.Signature && made.Normal) {
    CopyDecision decision = copies->Check(savedPath, *made.Signature, *made.Normal);
    if (!decision.RemovedBecause.empty()) {
      result.Thumbnail.reset();
      result.RemovedBecause = std::move(decision.RemovedBecause);
    }
    result.ReplacedPath = std::move(decision.ReplacedPath);
  }
  return result;
}

void TRun::SaveKeptCopies() {
  const std::shared_ptr<LargestCopies> copies = Checks().Copies;
  if (!copies) return;
  try {
    copies->SaveKept();
  } catch (const std::exception&) {
    // Kept for the next try; lost, a copy met after a restart is only kept twice.
  }
}

std::string TRun::CheckDownloadedPicture(const std::string& savedPath) {
  const std::shared_ptr<DownloadedPictureChecks> checks = Checks().Exact;
  return checks ? checks->Check(savedPath) : "";
}

void TRun::SetPictureStatus(std::int64_t queuePosition, const std::string& savedPath,
                            const std::string& status) {
  // A smaller copy replaced before its own download was reported keeps saying so.
  if (status == kDoneStatus && mReplacedPaths.contains(savedPath)) return;
  std::string shown = status;
  if (mCheck) {
    if (status.starts_with(kFailedStatus)) {
      mCheck->FailedPaths.insert(savedPath);
    } else if (status == kDoneStatus) {
      mCheck->FailedPaths.erase(savedPath);
    }
  }
  if (status == kDoneStatus) {
    if (const auto entry = QueueEntryOf(queuePosition, savedPath)) {
      ArchiveFetched(mCrawlState.Queue[*entry]);
      if (mCheck && *entry >= mCheck->FirstNewEntry) {
        ++mCheck->NewPictures;
        shown = kNewStatus;
      }
    }
  }
  if (const int row = RowOfDownload(queuePosition, savedPath); row >= 0) {
    mParts.Window.SetPictureRowStatus(row, shown);
  }
}

int TRun::RowOfDownload(std::int64_t queuePosition, const std::string& savedPath) const {
  // The rows shown may belong to another task by now, and are then left alone.
  if (mRowsOwner != mRunningTask.FolderName) return -1;
  // Rows are appended with the queue, one per queued picture, so they share their positions.
  const std::optional<std::size_t> entry = QueueEntryOf(queuePosition, savedPath);
  return entry && *entry < mPictureRows.size() ? static_cast<int>(*entry) : -1;
}

std::optional<std::size_t> TRun::QueueEntryOf(std::int64_t queuePosition,
                                              const std::string& savedPath) const {
  const std::vector<QueuedPicture>& queue = mCrawlState.Queue;
  std::optional<std::size_t> entry;
  if (queuePosition >= 0 && static_cast<std::size_t>(queuePosition) < queue.size() &&
      queue[static_cast<std::size_t>(queuePosition)].SavePath == savedPath) {
    entry = static_cast<std::size_t>(queuePosition);
  } else {
    // Handed out again (cut off or failed before): the last entry with its save path.
    for (std::size_t i = queue.size(); i-- > 0;) {
      if (queue[i].SavePath == savedPath) {
        entry = i;
        break;
      }
    }
  }
  return entry;
}

void TRun::ShowFinalAddress(const std::string& savedPath, const std::string& finalUrl) {
  if (const int row = RowOfDownload(-1, savedPath); row >= 0) {
    mPictureRows[static_cast<std::size_t>(row)].FinalLink = finalUrl;
    mParts.Window.SetPictureRowLink(row, finalUrl);
  }
}

void TRun::ShowSavedStatuses(const std::string& folderName, const CrawlState& saved, bool waiting) {
  if (mRowsOwner != folderName) return;
  for (const RowStatus& row :
       SavedStatuses(saved, mPictureRows.size(), mScheduler->SavePathsRunning(folderName), waiting,
                     IsRegularFile)) {
    mParts.Window.SetPictureRowStatus(row.Row, row.Status);
  }
}

void TRun::PictureListReset() {
  mRowsOwner = mRunningTask.FolderName;
  mParts.Window.ShowPictureRows(mPictureRows);
}

void TRun::PictureRowAdded(const PictureEntry& row) {
  if (!mCrawlState.Queue.empty()) ArchiveQueued(mCrawlState.Queue.back());
  mParts.Window.AddPictureRow(row);
  if (!mPictureRows.empty()) {
    mParts.Window.SetPictureRowStatus(static_cast<int>(mPictureRows.size() - 1), kWaitingStatus);
  }
}

void TRun::SetGridVisible(bool visible) { mParts.Window.SetGridVisible(visible); }

}  // namespace vexilo
