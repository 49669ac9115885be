#pragma once
// Hands the pictures the crawl queues to the download pool, at most MaxWorkers at a time and
// oldest first, and announces "Vexilo task is completed!" once a finished crawl's last picture
// has been reported. Driven by the 500 ms download timer and by the downloads that free their
// slots. Panel 0 counts what ended since StartCrawl; a failure stays in CrawlState::Failed
// while it waits for a retry, so that a crash leaves it to Resume. A freed slot is filled at
// once; a waiting retry holds none. Offers taken back count the starts the pool had not yet
// delivered. Main thread only.

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/AppSettings.h"
#include "core/BrowserSession.h"
#include "core/Clock.h"
#include "core/CrawlState.h"
#include "core/HostPacing.h"
#include "core/RunState.h"
#include "core/StatusSink.h"
#include "core/TaskRecord.h"
#include "core/TaskStateFiles.h"
#include "core/UserPrompts.h"
#include "downloader/DiskSpace.h"
#include "downloader/DownloadRequest.h"
#include "downloader/DownloadTimer.h"
#include "downloader/RetryPolicy.h"
#include "downloader/TransferPool.h"

namespace vexilo {

// While the crawl no longer saves the state, counti.dat is written at most this often during
// hand-outs, and at once when the downloads stop or end: a crash re-fetches at most the
// pictures handed out since, into the same paths.
inline constexpr std::chrono::milliseconds kCounterSaveInterval{250};

// What the scheduler works with; every reference must outlive it.
struct SchedulerParts {
  CrawlState& Crawl;
  RunState& Run;
  const AppSettings& Settings;
  const TaskRecord& Task;  // the running task's
  TaskStateFiles& StateFiles;
  UserPrompts& Prompts;
  StatusSink& Status;
  DownloadTimer& Timer;
  // For each picture downloaded successfully the pool makes its thumbnail and then appends
  // it on the main thread, one at a time.
  PictureHooks Pictures;
  PoolMaker MakePool;  // ThreadPool(...) in the program
  // Nothing is handed out while the disk under the task's folder (or the download folder,
  // before the task's folder exists) has less free than this.
  DiskFloor Floor = {};
  // With AppSettings::Advanced.RetryFailed a transient failure is fetched again by these.
  RetryPolicy Retries = {};
  std::chrono::milliseconds CounterSaveInterval = kCounterSaveInterval;
  const Clock& Time = SteadyClock();
};

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
  // so that a few workers on a fast server do not wait for the main thread between pictures
  // while the pool holds their reports back to hand them on together.
  static constexpr std::int32_t kFewestOffersAhead = 32;
  // Under a download speed cap, the cap's share of each transfer that runs: fewer run at once
  // rather than each crawl so slowly that the transfer rate floor ends it.
  static constexpr std::uint64_t kFewestBytesPerTransfer = 4096;

  explicit DownloadScheduler(SchedulerParts parts);
  ~DownloadScheduler();  // Shutdown()
  DownloadScheduler(const DownloadScheduler&) = delete;
  DownloadScheduler& operator=(const DownloadScheduler&) = delete;

  // After the crawl has filled the queue and left the idle phase: takes back what was
  // offered and not started, reads MaxWorkers (not a whole number: 3; clamped to 1 ..
  // kMostMaxWorkers), turns the timer on. Downloads of an earlier crawl still count.
  void StartCrawl();
  // One timer tick. Once downloads are complete or Stop was asked for: settles and turns the
  // timer off. Otherwise offers, ahead of the free slots, cut-off downloads, then due
  // retries, then the queue; a picture counts as handed out only when the pool starts it.
  // With RetryFailed a full host holds back the queue behind it. A save path outside the
  // task's folder is skipped, counted as handed out. Never raises; a state file that cannot
  // be written is told once per crawl.
  void Tick();
  // Cuts off running transfers and ends the pool; no report runs after it. What was running
  // is saved among its task's cut-off downloads, counti.dat brought up to date; later ticks
  // do nothing. Call it before the parts go, and not from inside AppendPicture.
  void Shutdown();
  // Takes back the offers not started, hands out nothing until StartCrawl, and writes
  // counti.dat and cutoff.dat if a hand-out is not in them: before a crawl replaces the state.
  void SettleHandOuts();

  // With AdvancedSettings::BrowserSession on, each request handed out from then on carries
  // session's cookies for its address, its user agent and the picture's page as Referer.
  // session (null: none) must outlive the scheduler.
  void SetBrowserSession(const BrowserSession* session) { mSession = session; }
  // With AdvancedSettings::CrawlPolitely on, a picture is offered only when its host's turn
  // has come (pacing, shared with the page loads) and a slot is free to start it at once, and
  // a 429 or 503 with a Retry-After pauses its host. pacing (null: none) must outlive the
  // scheduler.
  void SetPacing(HostPacing* pacing) { mPacing = pacing; }
  // Whether the end of the downloads shows kCompletedText in a message box as well as in the
  // progress panel; checks nobody started by hand end without one.
  void SetCompletionBox(bool shown) { mCompletionBox = shown; }

  // Downloads started and not yet reported.
  std::int32_t ActiveWorkers() const { return static_cast<std::int32_t>(mRunning.size()); }
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
    Clock::TimePoint Due;
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
  // The same for a picture a check removed again: Resume does not fetch it again.
  void KeepRemoved(const Handout& handout, const std::string& reason);
  // The smaller copy that handout's picture replaced: its row and its removal are kept.
  void KeepReplaced(const Handout& handout, const std::string& replacedPath);
  void SaveFailedOnceIdle();
  void ShowCounts();
  // Waiting retries stay failed (CrawlState::Failed holds them already) and are not fetched.
  void DropRetries();
  void Mark(const Handout& handout, const std::string& status);
  // Raise FileError when counti.dat or cutoff.dat cannot be written.
  void CountersHandedOut();
  void SaveCountersIfDue(bool now);
  void SaveCutOffIfTaken();
  bool Polite() const { return mPacing != nullptr && mSettings.Advanced.CrawlPolitely; }
  // Downloads offered or running from host.
  int HostLoad(const std::string& host) const;
  // True, with the status saying so, while the pictures' disk is below the floor.
  bool DiskTooFull(const std::string& taskFolder);

  CrawlState& mCrawl;
  RunState& mRun;
  const AppSettings& mSettings;
  const TaskRecord& mTask;
  TaskStateFiles& mStateFiles;
  UserPrompts& mPrompts;
  StatusSink& mStatus;
  DownloadTimer& mTimer;
  PictureHooks mPictures;
  DiskFloor mDiskFloor;
  const BrowserSession* mSession = nullptr;
  HostPacing* mPacing = nullptr;
  RetryPolicy mRetryPolicy;
  const Clock& mClock;

  std::int32_t mMaxWorkers = kDefaultMaxWorkers;
  bool mDownloadsComplete = false;
  bool mCompletionBox = true;
  bool mShutDown = false;
  std::uint64_t mCrawlNumber = 0;
  std::uint64_t mNextId = 0;
  std::int64_t mDownloaded = 0;  // since StartCrawl
  std::int64_t mFailed = 0;
  std::vector<WaitingRetry> mRetries;
  std::deque<Offer> mOffers;         // in the order the pool starts them
  std::size_t mCutOffOffered = 0;    // CrawlState::CutOff's first entries
  std::int64_t mNextQueueOffer = 0;  // the queue position offered next
  bool mCutOffTaken = false;         // since cutoff.dat was last written
  struct RunningDownload {
    Handout Download;  // fetched again on Resume when shut-down cuts it off
    std::string Host;
  };
  std::map<std::uint64_t, RunningDownload> mRunning;  // by id, until reported
  // Hand-outs not yet in counti.dat, and when it was last written (none yet: at once).
  std::chrono::milliseconds mCounterSaveInterval;
  bool mCountersUnsaved = false;
  std::optional<Clock::TimePoint> mCountersSaved;
  std::unique_ptr<TransferPool> mPool;  // last: its threads go before what their reports reach
};

}  // namespace vexilo
