#pragma once
// TRun: everything that lives for the run, and the wiring between the logic objects. It
// holds the task list, the current and the running task record, the crawl state, the
// picture list rows, the run flags, the settings and the picture file list, and builds the
// crawler, the download scheduler, the task commands and the picture commands over the
// seams the main window (or a test) hands in. It runs start-up and shut-down. The main
// window owns it. Main thread only.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/AppFolders.h"
#include "core/AppSettings.h"
#include "core/BrowserSession.h"
#include "core/Clock.h"
#include "core/CrawlState.h"
#include "core/DesktopShell.h"
#include "core/EventPump.h"
#include "core/HostPacing.h"
#include "core/KnownPictures.h"
#include "core/MainThread.h"
#include "core/PictureEntry.h"
#include "core/RobotsCheck.h"
#include "core/RunState.h"
#include "core/SettingsStore.h"
#include "core/StatusSink.h"
#include "core/TaskRecord.h"
#include "core/TaskStateFiles.h"
#include "core/UserPrompts.h"
#include "crawler/CrawlHooks.h"
#include "crawler/PageBrowser.h"
#include "downloader/DownloadRequest.h"
#include "downloader/DownloadTimer.h"
#include "downloader/RetryPolicy.h"
#include "gallery/ModernGallery.h"
#include "pictures/ImageFileList.h"
#include "pictures/PictureCommands.h"
#include "pictures/PictureGridView.h"
#include "pictures/SortingOut.h"
#include "pictures/UnshownPictureNote.h"
#include "shell/RunWindow.h"
#include "tasks/CheckOutcome.h"
#include "tasks/CommandSeams.h"
#include "tasks/PictureArchive.h"
#include "tasks/TaskDialogs.h"
#include "tasks/TaskList.h"
#include "tasks/TaskTreeView.h"

namespace vexilo {

class Crawler;
class PictureSizeProbe;
class DownloadScheduler;
class DownloadedPictureChecks;
class LargestCopies;
struct MadeThumbnail;
class TaskCommands;

// The outside services and the views the run works through; all must outlive it.
struct RunParts {
  AppFolders Folders;  // the program folder (GTask.lis, task/), defaults, shipped files
  SettingsStore& Settings;
  UserPrompts& Prompts;
  DesktopShell& Shell;
  StatusSink& Status;
  EventPump& Pump;
  MainThread& Reports;  // where download workers report
  DownloadTimer& Timer;
  PageBrowser& Browser;
  TaskTreeView& Tree;
  AddressBox& Address;
  PictureGridView& Grid;
  RunWindow& Window;
  // Tests shorten these.
  TransferLimits Limits = {};
  // The browser's session, for downloads that carry it; none without a browser.
  const BrowserSession* Session = nullptr;
  RetryPolicy Retries = {};
  // The calendar times the picture archive keeps.
  const WallClock& Calendar = SystemWallClock();
};

// The task dialogs, created after start-up because they read the loaded settings.
struct RunDialogs {
  NewTaskDialog& Wizard;
  TaskSettingsDialog& TaskSettings;
  DeleteTaskDialog& DeleteTask;
};

class TRun : private TaskPictureView, private CrawlRunner, private CrawlHooks {
 public:
  explicit TRun(RunParts parts);
  ~TRun() override;
  TRun(const TRun&) = delete;
  TRun& operator=(const TRun&) = delete;

  // Start-up: the task folder and its stale temporaries, GTask.lis and the task tree's
  // nodes, then the settings. The task list and the settings are loaded each on its own; a
  // failure is shown as an error, and what failed to load is never saved over.
  void Start();
  // Builds the task commands over the dialogs; once, after Start.
  void AttachDialogs(RunDialogs dialogs);
  // Shut-down: saves the task list and the settings (each only when it was loaded), tells a
  // running crawl to stop, and aborts and joins the running downloads, so that none reports
  // to a window that is gone. Never raises.
  void ShutDown();

  // Puts the advanced options that are not read per crawl into effect for the whole process:
  // how pictures are listed and read. After start-up and after every change of the options.
  void ApplyAdvancedSettings();

  // The download timer's tick.
  void DownloadTick();

  // Thumbnails > Create Thumbnails: the pictures the grid shows as an HTML gallery, of the
  // kind the user picks (the last one picked preselected, the classic one at first).
  void CreateGallery();
  // The picture list's pop-up: the address of row (-1: none selected) to the clipboard, and
  // every row's address to exportlists.txt.
  void CopyLinkToClipboard(int row);
  // Thumbnails > Find Copies of Pictures, over the listed pictures.
  void FindCopies();
  void ExportLinks();
  // The picture list's "Export as CSV": every row with its status and save path.
  void ExportCsv();

  // The schedule's and the command line's check of task: its node selected as a click would,
  // nothing asked, no completion box. Its outcome comes to CheckEnded as a check's the user
  // started does.
  void StartUnattendedCheck(int task);
  // The schedule's turn: the check of the first task that is due, unless something runs.
  void StartDueCheck();
  // A crawl, a check or downloads run: a scheduled check waits.
  bool Busy() const;
  // Once per check, at its end: its downloads done, its crawl failed or stopped, or it could
  // not start. Called from inside the run: it must not start another check itself.
  std::function<void(const CheckOutcome&)> CheckEnded;

  TaskCommands& Tasks();  // after AttachDialogs
  PictureCommands& Pictures() { return mPictureCommands; }
  // Delete, M, C and F2 of the viewer and the grid.
  SortingOut& Sorting() { return mSortingOut; }
  // View > Sort By: the grid's order, put into effect and kept in the settings.
  void SetGridOrder(GridOrder order);
  DownloadScheduler& Scheduler() { return *mScheduler; }

  TaskList& TaskLines() { return mTaskList; }
  TaskRecord& CurrentTask() { return mCurrentTask; }
  const std::vector<PictureEntry>& PictureRows() const { return mPictureRows; }
  RunState& State() { return mRunState; }
  AppSettings& Settings() { return mSettings; }
  TImageFileList& PictureSet() { return mPictures; }
  const TImageFileList& PictureSet() const { return mPictures; }

 private:
  // TaskPictureView
  void ListTaskPictures(int node) override;
  void ClearPictures() override;
  // CrawlRunner: crawls a copy of the current task record.
  void RunCrawl() override;
  void RunCheck(KnownPictures known) override;
  void CrawlCurrentTask(const std::unordered_set<std::string>& knownPictures);
  // Main thread: the archive's record of a queued and of a downloaded picture; a failing
  // archive never holds up the crawl or the downloads.
  void ArchiveQueued(const QueuedPicture& picture);
  void ArchiveFetched(const QueuedPicture& picture);
  // The contents the running task's downloads do not keep: the check's and other tasks'.
  std::unordered_set<std::uint64_t> KnownContents() const;
  // At the end of a check's downloads: panel 0 says how many new pictures came.
  void ShowNewPictureCount();
  // The running check's outcome to CheckEnded, once.
  void EndCheck(std::string error);
  // After a check's crawl returned: a failed or stopped one ends the check.
  void EndCheckIfCrawlEnded();
  // CrawlHooks
  void StartDownloads() override;
  void PictureListReset() override;
  void PictureRowAdded(const PictureEntry& row) override;
  void SetGridVisible(bool visible) override;
  // Download workers: the checks of the downloads started last.
  std::string CheckDownloadedPicture(const std::string& savedPath);
  // Any thread: the checks of the downloads started last.
  struct DownloadChecks {
    std::shared_ptr<DownloadedPictureChecks> Exact;
    std::shared_ptr<LargestCopies> Copies;
  };
  DownloadChecks Checks();
  // Pool thread: the thumbnail of a finished download and, with the largest copy kept, what
  // becomes of it.
  MadeThumbnail MakeDownloadThumbnail(const std::string& savedPath);
  // The settings kept now, an error said when they cannot be (only once they were loaded).
  void SaveSettingsNow();
  // A picture the user sorted out: the rows of its task, its saved state and the archive
  // follow, so that neither Resume nor a check fetches it again and a renamed one is not
  // taken for deleted.
  void PictureSortedOut(const SortedOut& change);
  // Main thread: the kept pictures' signatures into the task's state folder.
  void SaveKeptCopies();
  // The scheduler: a picture's status in its row, when the rows shown are its task's.
  void SetPictureStatus(std::int64_t queuePosition, const std::string& savedPath,
                        const std::string& status);
  // Where each shown row's picture came from, by its save path (lexically normal): the
  // modern gallery's captions. Empty when no task's rows are shown or its queue is unreadable.
  std::unordered_map<std::string, ModernGalleryPicture> PictureOrigins() const;
  // The save path of each shown row, from the download queue the rows share their positions
  // with; shorter (or empty) where the queue is, or cannot be read.
  std::vector<std::string> RowSavePaths() const;
  // The statuses (SavedStatuses.h) a saved state of the task in folderName gives the rows
  // shown, when they are that task's.
  void ShowSavedStatuses(const std::string& folderName, const CrawlState& saved, bool waiting);
  void ShowFinalAddress(const std::string& savedPath, const std::string& finalUrl);
  // The shown row of the running crawl's picture saved at savedPath (at queuePosition when
  // that entry has it, -1 when unknown), or -1 when the rows shown are another task's.
  int RowOfDownload(std::int64_t queuePosition, const std::string& savedPath) const;
  // The running crawl's queue entry of that picture, whatever the rows shown.
  std::optional<std::size_t> QueueEntryOf(std::int64_t queuePosition,
                                          const std::string& savedPath) const;

  RunParts mParts;
  TaskList mTaskList;
  TaskRecord mCurrentTask;
  // The record the running crawl and its downloads use, copied from the current task record
  // when the crawl starts, so that selecting another task later cannot redirect them.
  TaskRecord mRunningTask;
  CrawlState mCrawlState;
  std::vector<PictureEntry> mPictureRows;
  // The FolderName of the task the rows shown were listed for; none after a failed listing.
  std::optional<std::string> mRowsOwner;
  RunState mRunState;
  AppSettings mSettings;
  bool mSettingsLoaded = false;
  TImageFileList mPictures;
  TaskStateFiles mStateFiles;
  // The grid's background for the thumbnails download workers make: read from the view on
  // the main thread, never by a worker.
  std::atomic<std::uint32_t> mThumbnailFace{0};
  UnshownPictureNote mUnshownPictures;
  PictureCommands mPictureCommands;
  SortingOut mSortingOut;
  // Replaced at every start of downloads, read by their workers.
  std::mutex mChecksLock;
  std::shared_ptr<DownloadedPictureChecks> mChecks;
  std::shared_ptr<LargestCopies> mCopies;  // with the largest copy kept only
  // Main thread: the smaller copies the downloads of this start replaced.
  std::unordered_set<std::string> mReplacedPaths;
  bool mFindingCopies = false;
  bool mMakingGallery = false;  // the modern gallery's workers run, the window with them
  std::unique_ptr<PictureArchive> mArchive;  // none when it could not be opened
  // While the running task's crawl is a check: what it found new.
  struct CheckProgress {
    std::unordered_set<std::uint64_t> KnownContents;
    std::string TaskName;
    bool Unattended = false;
    std::size_t FirstNewEntry = 0;  // queue entries from here on are new
    int NewPictures = 0;
    std::unordered_set<std::string> FailedPaths{};
    bool Ended = false;
  };
  std::optional<CheckProgress> mCheck;
  bool mUnattendedStart = false;  // while StartUnattendedCheck starts one
  // With NeverTwiceAcrossTasks: what other tasks have, for the running task's downloads.
  std::unordered_set<std::uint64_t> mOtherTasksContents;
  // The polite crawl's: shared by the page loads and the downloads.
  HostPacing mPacing;
  std::unique_ptr<RobotsCheck> mRobots;
  // Declared after everything its workers report to, so it is destroyed (and joined) first.
  std::unique_ptr<DownloadScheduler> mScheduler;
  std::unique_ptr<PictureSizeProbe> mSizeProbe;
  std::unique_ptr<Crawler> mCrawler;
  std::unique_ptr<TaskCommands> mTaskCommands;
};

}  // namespace vexilo
