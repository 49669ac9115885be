#pragma once
// Hands the pictures the crawl queues to download workers, at most MaxWorkers at a time and
// oldest first, and announces "Vexilo task is completed!" once a finished crawl's last picture
// has been reported. Driven by the 500 ms download timer and by each worker that frees its
// slot. Main thread only, except where a worker is said to do something.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/AppSettings.h"
#include "core/BrowserSession.h"
#include "core/CrawlState.h"
#include "core/MainThread.h"
#include "core/RunFlags.h"
#include "core/StatusSink.h"
#include "core/TaskRecord.h"
#include "core/TaskStateFiles.h"
#include "core/UserPrompts.h"
#include "downloader/ClosableMainThread.h"
#include "downloader/DiskSpace.h"
#include "downloader/DownloadRequest.h"
#include "downloader/DownloadThread.h"
#include "downloader/DownloadTimer.h"
#include "downloader/RetryPolicy.h"

namespace vexilo {

class DownloadScheduler {
 public:
  static constexpr const char* kCompletedText = "Vexilo task is completed!";
  static constexpr const char* kDownloadingText = "Downloading picture ";
  static constexpr const char* kPausedText = "Downloads paused: less than ";
  static constexpr std::int32_t kDefaultMaxWorkers = 3;
  // The settings dialog offers at most 10; only a hand-edited store asks for more, and one
  // thread per picture must not become thousands of threads.
  static constexpr std::int32_t kMostMaxWorkers = 64;
  // Idle HTTP clients (each with at most one open connection) kept between downloads.
  static constexpr std::size_t kIdleConnections = 10;
  // Connections to one host (name and port) at a time, whatever MaxWorkers is.
  static constexpr int kMostPerHost = 4;

  // Every reference must outlive the scheduler. For each picture downloaded successfully the
  // worker makes its thumbnail and then appends it on the main thread, one at a time. While
  // the disk under the task's folder (or the download folder, before the task's folder
  // exists) has less free than diskFloor, nothing is handed out. With
  // AppSettings::Advanced.RetryFailed a transient failure is fetched again by retries.
  DownloadScheduler(CrawlState& crawl, RunFlags& flags, const AppSettings& settings,
                    const TaskRecord& task, TaskStateFiles& stateFiles, UserPrompts& prompts,
                    StatusSink& status, MainThread& mainThread, DownloadTimer& timer,
                    PictureHooks pictures, TransferLimits limits = {}, DiskFloor diskFloor = {},
                    RetryPolicy retries = {});
  ~DownloadScheduler();  // Shutdown()
  DownloadScheduler(const DownloadScheduler&) = delete;
  DownloadScheduler& operator=(const DownloadScheduler&) = delete;

  // The crawl start's share, after the crawl has filled the queue and cleared the stop and
  // crawl idle flags: MaxWorkers from AppSettings.DownloadThread (not a whole number counts as
  // 3, below 1 as 1, above kMostMaxWorkers as kMostMaxWorkers), downloads-complete cleared,
  // timer on. ActiveWorkers keeps counting workers of an earlier crawl that still run, so
  // MaxWorkers holds across crawls.
  void StartCrawl();
  // One timer tick: switches the timer off once downloads are complete or Stop was
  // requested (retries still waiting are then given up), otherwise hands out what
  // the free slots allow: cut-off downloads (CrawlState::CutOff), then retries that are due,
  // then the queue. A picture whose host already has kMostPerHost downloads running waits,
  // and so, to keep the queue's order and DispatchedCount a plain position, does every picture
  // behind it; a waiting retry is passed over instead. A save path that does not lie directly
  // in the task's folder is skipped: counted as handed out, nothing fetched. A state file that
  // cannot be written ends the tick and is told once per crawl. Never raises.
  //
  // Every picture that ends is counted in status panel 0 ("N downloaded, M failed", for the
  // downloads since StartCrawl). One that failed is kept in CrawlState::Failed (saved at once
  // to failed.dat once the crawl has ended), also while it waits for a retry, so that a
  // crash or Stop then leaves it to Resume's offer; a retry that ends takes it out again.
  void Tick();
  // Aborts running transfers and joins every worker; no report and no refill runs after it,
  // and the pictures whose transfers it cut off are saved first among their task's cut-off
  // downloads (the running task's also in CrawlState::CutOff), so that Resume fetches them again;
  // and later ticks do nothing. Workers still waiting for the main thread are released, so it
  // never waits for the main thread's queue. Takes up to about a second (libcurl looks at the
  // abort about once a second). Call it before the objects given to the constructor go, and
  // not from inside the pictures' AppendPicture.
  void Shutdown();

  // With AdvancedSettings::BrowserSession on, each request handed out from then on carries
  // session's cookies for its address, its user agent and the picture's page as Referer.
  // session (null: none) must outlive the scheduler.
  void SetBrowserSession(const BrowserSession* session) { mSession = session; }

  std::int32_t ActiveWorkers() const { return mActiveWorkers.load(); }
  std::int32_t MaxWorkers() const { return mMaxWorkers; }
  // Pictures that failed and wait for another try.
  std::size_t WaitingRetries() const { return mRetries.size(); }
  bool DownloadsComplete() const { return mDownloadsComplete; }

 private:
  void ScheduleDownloads();
  // Hands out cut-off downloads first, then the queue. Raises FileError when a state file
  // cannot be written; what was handed out stays counted.
  void HandOut(std::int64_t freeSlots, std::int64_t queued,
               const std::filesystem::path& taskFolder);
  // A picture handed out, and what the scheduler knows of it until it ends.
  struct Handout {
    QueuedPicture Picture;
    std::int64_t QueuePosition = -1;  // -1: not from the queue
    std::string FolderName;           // of the task it was handed out for
    std::uint64_t Crawl = 0;          // the StartCrawl it belongs to
    int Retries = 0;                  // tries so far beyond the first
  };
  struct WaitingRetry {
    Handout Download;
    std::string Reason;  // of the last failure
    std::chrono::steady_clock::time_point Due;
  };

  // False, with nothing started, while the picture's host is full.
  bool StartDownload(Handout handout);
  // Main thread, under the download lock: counts, retries or keeps the failure, and marks
  // the picture's row.
  void DownloadEnded(std::uint64_t id, const Handout& handout, const DownloadResult& result);
  bool MayRetry(const Handout& handout, const FetchOutcome& fetch) const;
  // Adds to, or takes from, the failed downloads of the handout's task, and saves them when
  // the crawl no longer does. Raise FileError when failed.dat cannot be written.
  void KeepFailure(const Handout& handout, const std::string& reason);
  void ForgetFailure(const Handout& handout);
  void SaveFailedOnceIdle();
  void ShowCounts();
  // Waiting retries stay failed (CrawlState::Failed holds them already) and are not fetched.
  void DropRetries();
  void Mark(const Handout& handout, const std::string& status);
  void ReleaseHost(std::uint64_t id);
  void ReapFinishedWorkers();
  // True, with the status saying so, while the pictures' disk is below the floor.
  bool DiskTooFull(const std::string& taskFolder);

  CrawlState& mCrawl;
  RunFlags& mFlags;
  const AppSettings& mSettings;
  const TaskRecord& mTask;
  TaskStateFiles& mStateFiles;
  UserPrompts& mPrompts;
  StatusSink& mStatus;
  DownloadTimer& mTimer;
  PictureHooks mPictures;
  TransferLimits mLimits;
  DiskFloor mDiskFloor;
  const BrowserSession* mSession = nullptr;
  RetryPolicy mRetryPolicy;
  ClosableMainThread mMainThread;

  std::int32_t mMaxWorkers = kDefaultMaxWorkers;
  bool mDownloadsComplete = false;
  bool mShutDown = false;
  std::uint64_t mCrawlNumber = 0;
  std::uint64_t mNextId = 0;
  std::int64_t mDownloaded = 0;  // since StartCrawl
  std::int64_t mFailed = 0;
  std::vector<WaitingRetry> mRetries;
  std::map<std::string, int> mHostLoad;  // running downloads per host
  // Shared with the workers, which are all joined before these go.
  std::mutex mDownloadLock;
  std::atomic<std::int32_t> mActiveWorkers{0};
  std::atomic<bool> mAbort{false};
  CurlHandlePool mHandles{kIdleConnections};
  struct RunningDownload {
    std::unique_ptr<TDownloadThead> Worker;
    Handout Download;  // fetched again on Resume when shut-down cuts it off
    std::uint64_t Id = 0;
    std::string Host;
    bool HostReleased = false;
  };
  std::vector<RunningDownload> mWorkers;
};

}  // namespace vexilo
