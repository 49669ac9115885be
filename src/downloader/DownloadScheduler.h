#pragma once
// Hands the pictures the crawl queues to the download pool, at most MaxWorkers at a time and
// oldest first, and announces "Vexilo task is completed!" once a finished crawl's last picture
// has been reported. Driven by the 500 ms download timer and by the downloads that free their
// slots. Main thread only.

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "core/AppSettings.h"
#include "core/BrowserSession.h"
#include "core/CrawlState.h"
#include "core/MainThread.h"
#include "core/RunState.h"
#include "core/StatusSink.h"
#include "core/TaskRecord.h"
#include "core/TaskStateFiles.h"
#include "core/UserPrompts.h"
#include "downloader/DiskSpace.h"
#include "downloader/DownloadPool.h"
#include "downloader/DownloadRequest.h"
#include "downloader/DownloadTimer.h"
#include "downloader/RetryPolicy.h"

namespace vexilo {

class DownloadScheduler {
 public:
  static constexpr const char* kCompletedText = "Vexilo task is completed!";
  static constexpr const char* kDownloadingText = "Downloading picture ";
  static constexpr const char* kPausedText = "Downloads paused: less than ";
  static constexpr std::int32_t kDefaultMaxWorkers = 3;
  // The settings dialog offers at most 10; only a hand-edited store asks for more, and
  // thousands of transfers at once would only bury the servers.
  static constexpr std::int32_t kMostMaxWorkers = 64;
  // With AdvancedSettings::RetryFailed, downloads from one host (name and port) at a time,
  // whatever MaxWorkers is.
  static constexpr int kMostPerHost = 4;
  // Pictures offered to the pool beyond the free slots: MaxWorkers, and at least this many,
  // so that a few workers on a fast server do not wait for the main thread between pictures.
  static constexpr std::int32_t kFewestOffersAhead = 8;
  // While the crawl no longer saves the state, counti.dat is written at most this often
  // during hand-outs, and at once when the downloads stop or end: a crash re-fetches at
  // most the pictures handed out since, into the same paths.
  static constexpr std::chrono::milliseconds kCounterSaveInterval{250};

  // Every reference must outlive the scheduler. For each picture downloaded successfully the
  // pool makes its thumbnail and then appends it on the main thread, one at a time. While
  // the disk under the task's folder (or the download folder, before the task's folder
  // exists) has less free than diskFloor, nothing is handed out. With
  // AppSettings::Advanced.RetryFailed a transient failure is fetched again by retries.
  DownloadScheduler(CrawlState& crawl, RunState& flags, const AppSettings& settings,
                    const TaskRecord& task, TaskStateFiles& stateFiles, UserPrompts& prompts,
                    StatusSink& status, MainThread& mainThread, DownloadTimer& timer,
                    PictureHooks pictures, TransferLimits limits = {}, DiskFloor diskFloor = {},
                    RetryPolicy retries = {},
                    std::chrono::milliseconds counterSaveInterval = kCounterSaveInterval);
  ~DownloadScheduler();  // Shutdown()
  DownloadScheduler(const DownloadScheduler&) = delete;
  DownloadScheduler& operator=(const DownloadScheduler&) = delete;

  // The crawl start's share, after the crawl has filled the queue and cleared the stop and
  // crawl idle flags: takes back what was offered and has not started, MaxWorkers from
  // AppSettings.DownloadThread (not a whole number counts as 3, below 1 as 1, above kMostMaxWorkers
  // as kMostMaxWorkers), downloads-complete cleared, timer on. ActiveWorkers keeps counting
  // downloads of an earlier crawl that still run, so MaxWorkers holds across crawls.
  void StartCrawl();
  // One timer tick: switches the timer off once downloads are complete or Stop was
  // requested (offers not started are then taken back and retries still waiting given up),
  // otherwise offers the pool what the free slots allow and more (MaxWorkers, at least
  // kFewestOffersAhead), so that the next transfer starts the moment one ends: cut-off downloads
  // (CrawlState::CutOff), then retries that are due, then the queue. A picture counts as handed out
  // (taken from CutOff or the retries, DispatchedCount raised, its row "downloading") only when the
  // pool starts it, in the order offered, so the state files hold only what really started. With
  // AdvancedSettings::RetryFailed, a picture whose host already has kMostPerHost downloads
  // offered or running waits, and so, to keep the queue's order and DispatchedCount a plain
  // position, does every picture behind it; a waiting retry is passed over instead. A save
  // path that does not lie directly in the task's folder is skipped at its turn: counted as
  // handed out, nothing fetched. A state file that cannot be written ends the tick and is
  // told once per crawl. Never raises.
  //
  // Every picture that ends is counted in status panel 0 ("N downloaded, M failed", for the
  // downloads since StartCrawl). One that failed is kept in CrawlState::Failed (saved at once
  // to failed.dat once the crawl has ended), also while it waits for a retry, so that a
  // crash or Stop then leaves it to Resume's offer; a retry that ends takes it out again.
  void Tick();
  // Forgets the offers, cuts off running transfers and stops the pool; no report and no
  // refill runs after it,
  // and the pictures handed out and not yet reported are saved first among their task's
  // cut-off downloads (the running task's also in CrawlState::CutOff), so that Resume fetches
  // them again; counti.dat is written if a hand-out since its last save is not in it yet; and
  // later ticks do nothing. It never waits for the main thread's queue. Call it before the
  // objects given to the constructor go, and not from inside the pictures' AppendPicture.
  void Shutdown();

  // Takes back the offers not started yet, hands out nothing more until StartCrawl (the timer
  // goes off; running downloads still report), and writes counti.dat and cutoff.dat now if a
  // hand-out is not in them yet: before a crawl replaces the state, which then reads its own.
  // A failure is told once per crawl.
  void SettleHandOuts();

  // With AdvancedSettings::BrowserSession on, each request handed out from then on carries
  // session's cookies for its address, its user agent and the picture's page as Referer.
  // session (null: none) must outlive the scheduler.
  void SetBrowserSession(const BrowserSession* session) { mSession = session; }

  // Downloads started and not yet reported.
  std::int32_t ActiveWorkers() const { return mActiveWorkers; }
  // Downloads offered to the pool and not started yet.
  std::int64_t OfferedDownloads() const;
  // The save paths of the task's pictures that are downloading now.
  std::vector<std::string> SavePathsRunning(const std::string& folderName) const;
  std::int32_t MaxWorkers() const { return mMaxWorkers; }
  // Pictures that failed and wait for another try.
  std::size_t WaitingRetries() const { return mRetries.size(); }
  bool DownloadsComplete() const { return mDownloadsComplete; }

 private:
  void ScheduleDownloads();
  // Offers cut-off downloads first, then due retries, then the queue.
  void OfferDownloads(std::int64_t freeSlots, std::int64_t queued,
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
    std::uint64_t OfferId = 0;  // 0 unless offered
  };
  enum class Source { CutOff, Retry, Queue };
  // A picture offered to the pool, or one to skip once every offer before it has started.
  struct Offer {
    std::uint64_t Id;
    Handout Download;
    Source From;
    std::string Host;
    bool Skip;
  };

  // False, with nothing offered, while the picture's host is full.
  bool OfferDownload(Handout handout, Source from);
  void OfferSkip(Handout handout, Source from);
  // The pool started offer id: the picture is handed out now.
  void Started(std::uint64_t id);
  // Skips whose turn has come.
  void SkipAtFront();
  // Takes the offer's picture from where it waited: CutOff, the retries or the queue.
  void HandedOut(const Offer& offer);
  // Counts the offers that started meanwhile, and forgets the rest, which wait where they
  // came from.
  void TakeBackOffers();
  // Frees the download's slot and host, then DownloadEnded.
  void Reported(std::uint64_t id, const DownloadResult& result);
  // Counts, retries or keeps the failure, and marks the picture's row.
  void DownloadEnded(const Handout& handout, const DownloadResult& result);
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
  // Raise FileError when counti.dat or cutoff.dat cannot be written.
  void CountersHandedOut();
  void SaveCountersIfDue(bool now);
  void SaveCutOffIfTaken();
  // True, with the status saying so, while the pictures' disk is below the floor.
  bool DiskTooFull(const std::string& taskFolder);

  CrawlState& mCrawl;
  RunState& mFlags;
  const AppSettings& mSettings;
  const TaskRecord& mTask;
  TaskStateFiles& mStateFiles;
  UserPrompts& mPrompts;
  StatusSink& mStatus;
  DownloadTimer& mTimer;
  PictureHooks mPictures;
  DiskFloor mDiskFloor;
  const BrowserSession* mSession = nullptr;
  RetryPolicy mRetryPolicy;

  std::int32_t mMaxWorkers = kDefaultMaxWorkers;
  bool mDownloadsComplete = false;
  bool mShutDown = false;
  std::uint64_t mCrawlNumber = 0;
  std::uint64_t mNextId = 0;
  std::int64_t mDownloaded = 0;  // since StartCrawl
  std::int64_t mFailed = 0;
  std::vector<WaitingRetry> mRetries;
  std::map<std::string, int> mHostLoad;  // downloads offered or running, per host
  std::int32_t mActiveWorkers = 0;
  std::deque<Offer> mOffers;         // in the order the pool starts them
  std::size_t mCutOffOffered = 0;    // CrawlState::CutOff's first entries
  std::int64_t mNextQueueOffer = 0;  // the queue position offered next
  bool mCutOffTaken = false;         // since cutoff.dat was last written
  struct RunningDownload {
    Handout Download;  // fetched again on Resume when shut-down cuts it off
    std::string Host;
  };
  std::map<std::uint64_t, RunningDownload> mRunning;  // by id, until reported
  // Hand-outs not yet in counti.dat, and when it was last written.
  std::chrono::milliseconds mCounterSaveInterval;
  bool mCountersUnsaved = false;
  std::chrono::steady_clock::time_point mCountersSaved{};
  DownloadPool mPool;  // last: its threads go before what their reports reach
};

}  // namespace vexilo
