#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>

#include "core/LineFile.h"
#include "core/SaveFailureNotice.h"
#include "downloader/DownloadPool.h"
#include "downloader/DownloadScheduler.h"
#include "downloader/DownloadTimer.h"
#include "support/ConnectionLimitedServer.h"
#include "support/FakeClock.h"
#include "support/FakeSeams.h"
#include "support/FakeTransferPool.h"
#include "support/LoopbackServer.h"
#include "support/SchedulerRig.h"
#include "support/TempDir.h"

namespace vexilo::test {
namespace {

// counti.dat is then written only at the first hand-out, at Stop, at the end and at shut-down.
constexpr std::chrono::milliseconds kNoCounterSaveDue = std::chrono::hours(1);

class DownloadSchedulerTest : public testing::Test, protected SchedulerRig {
 protected:
  DownloadSchedulerTest() {
    mTask.FolderName = "cats";
    mTask.TaskFolder = mPictures.Path().string() + "/";
    std::filesystem::create_directories(mStateFiles.StateFolder(mTask.FolderName));
    mSettings.DownloadThread = "3";
  }

  void TearDown() override {
    mServer.OpenAllGates();
    EXPECT_TRUE(mMainThread.RunUntil([this] { return mScheduler.ActiveWorkers() == 0; }));
  }

  // Pictures at /gate/<first> ... /gate/<first + count - 1>.
  void Queue(int count, int first = 0) {
    for (int gate = first; gate < first + count; ++gate) {
      mCrawl.Queue.push_back({GateUrl(gate), SavedName(gate)});
    }
  }
  std::string GateUrl(int gate) const { return mServer.Url("/gate/" + std::to_string(gate)); }
  std::string SavedName(int gate) const {
    return (mPictures / ("p" + std::to_string(gate) + ".jpg")).string();
  }

  void StartCrawl() {
    mFlags.CrawlStarted();
    mScheduler.StartCrawl();
  }
  // Once the pool has started as many offers as it may.
  static bool Settled(const DownloadScheduler& scheduler) {
    return scheduler.ActiveWorkers() >= scheduler.MaxWorkers() || scheduler.OfferedDownloads() == 0;
  }
  // A tick, and the starts of what it offered.
  void Tick(DownloadScheduler& scheduler) {
    scheduler.Tick();
    ASSERT_TRUE(mMainThread.RunUntil([&] { return Settled(scheduler); }));
  }
  void Tick() { Tick(mScheduler); }
  // Lets the download of the gate finish, and runs its report and the starts that take its
  // slot. The other downloads wait at their gates meanwhile.
  void Finish(int gate) {
    mServer.OpenGate(gate);
    ASSERT_TRUE(mMainThread.RunUntil([&] {
      const std::vector<std::string>& statuses = mStatuses[SavedName(gate)];
      return !statuses.empty() && statuses.back() != "downloading" && Settled(mScheduler);
    }));
  }
  void FinishAll() {
    mServer.OpenAllGates();
    ASSERT_TRUE(mMainThread.RunUntil([this] {
      return mScheduler.ActiveWorkers() == 0 &&
             mCrawl.DispatchedCount == static_cast<std::int32_t>(mCrawl.Queue.size());
    }));
  }
  // The gated bodies are no pictures: every saved file counts as one.
  PictureHooks Hooks() {
    return {[](const std::string&) { return std::optional<Bitmap24>(Bitmap24(1, 1)); },
            [this](const std::string& path, const Bitmap24&) { mAppended.push_back(path); },
            nullptr,
            [this](std::int64_t, const std::string& path, const std::string& status) {
              mStatuses[path].push_back(status);
              if (status == "downloading") mStarts.push_back(path);
            },
            [this](const std::string& path, const std::string& finalUrl) {
              mFinalAddresses.push_back(path + ": " + finalUrl);
            }};
  }
  std::string SavedCount() {
    const std::vector<std::string> lines =
        ReadLines(mStateFiles.StateFolder(mTask.FolderName) / "counti.dat");
    return lines.size() == 3 ? lines[2] : "(no counti.dat)";
  }

  std::vector<std::string> mAppended;
  std::map<std::string, std::vector<std::string>> mStatuses;  // by save path, in order
  std::vector<std::string> mStarts;                           // save paths, in order
  std::vector<std::string> mFinalAddresses;
  // The disk as the scheduler sees it: only folders that exist can be measured.
  std::uint64_t mFreeBytes = std::uint64_t{1} << 40;
  DiskFloor mDiskFloor{DiskFloor::kDefaultBytes,
                       [this](const std::string& folder) -> std::optional<std::uint64_t> {
                         if (!std::filesystem::is_directory(folder)) return std::nullopt;
                         return mFreeBytes;
                       }};
  // Retries are due at once: the tests look at what is fetched, not at the clock.
  RetryPolicy mRetries{
      {std::chrono::milliseconds(0), std::chrono::milliseconds(0), std::chrono::milliseconds(0)},
      std::chrono::milliseconds(0)};
  // The scheduler's clock reads 0 at first, as on a machine that has just booted.
  FakeClock mClock;
  SchedulerParts Parts(UserPrompts& prompts) {
    return {.Crawl = mCrawl,
            .Run = mFlags,
            .Settings = mSettings,
            .Task = mTask,
            .StateFiles = mStateFiles,
            .Prompts = prompts,
            .Status = mStatus,
            .Timer = mTimer,
            .Pictures = Hooks(),
            .MakePool = ThreadPool(mMainThread),
            .Floor = mDiskFloor,
            .Retries = mRetries,
            .CounterSaveInterval = kNoCounterSaveDue,
            .Time = mClock};
  }
  SchedulerParts Parts() { return Parts(mPrompts); }
  DownloadScheduler mScheduler{Parts()};
};

TEST_F(DownloadSchedulerTest, FillsTheSlotsThenStartsOnePerFreedSlot) {
  Queue(10);
  StartCrawl();
  EXPECT_TRUE(mTimer.Enabled());

  Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 3);
  EXPECT_EQ(mScheduler.ActiveWorkers(), 3);
  EXPECT_EQ(mStatus.Text(2), "Downloading picture " + GateUrl(2));

  Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 3);

  Finish(1);
  EXPECT_EQ(mAppended, std::vector<std::string>{SavedName(1)});
  EXPECT_EQ(mCrawl.DispatchedCount, 4);
  EXPECT_EQ(mScheduler.ActiveWorkers(), 3);
  EXPECT_EQ(mStatus.Text(2), "Downloading picture " + GateUrl(3));
  EXPECT_TRUE(mServer.WaitForRequests(4));
  std::vector<std::string> running = mScheduler.SavePathsRunning("cats");
  std::sort(running.begin(), running.end());
  EXPECT_EQ(running, (std::vector<std::string>{SavedName(0), SavedName(2), SavedName(3)}));
  EXPECT_TRUE(mScheduler.SavePathsRunning("dogs").empty());
}

TEST_F(DownloadSchedulerTest, StartsNoMoreThanArePending) {
  mSettings.DownloadThread = "5";
  Queue(2);
  StartCrawl();

  Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 2);
  EXPECT_EQ(mScheduler.ActiveWorkers(), 2);

  Queue(1, 2);
  Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 3);
  EXPECT_EQ(mScheduler.ActiveWorkers(), 3);
}

TEST_F(DownloadSchedulerTest, AnnouncesNothingWhileTheCrawlRuns) {
  Queue(2);
  StartCrawl();
  mScheduler.Tick();
  FinishAll();
  mScheduler.Tick();

  EXPECT_TRUE(mPrompts.Messages.empty());
  EXPECT_FALSE(mScheduler.DownloadsComplete());
  EXPECT_EQ(mStatus.Text(2), "Downloading picture " + GateUrl(1));

  mFlags.CrawlFinished();
  mScheduler.Tick();
  EXPECT_EQ(mPrompts.Messages, std::vector<std::string>{"Vexilo task is completed!"});
  EXPECT_EQ(mStatus.Text(2), "Vexilo task is completed!");
  EXPECT_TRUE(mScheduler.DownloadsComplete());
  EXPECT_TRUE(mTimer.Enabled());

  mScheduler.Tick();
  EXPECT_FALSE(mTimer.Enabled());
  EXPECT_EQ(mPrompts.Messages.size(), 1u);
}

TEST_F(DownloadSchedulerTest, CrawlWithoutPicturesCompletesAtTheNextTick) {
  StartCrawl();
  mFlags.CrawlFinished();

  mScheduler.Tick();

  EXPECT_EQ(mPrompts.Messages, std::vector<std::string>{"Vexilo task is completed!"});
}

TEST_F(DownloadSchedulerTest, AnnouncesAfterTheLastPendingAndRunningPictureHasReported) {
  mSettings.DownloadThread = "1";
  Queue(3);
  StartCrawl();
  Tick();
  mFlags.CrawlFinished();  // the crawl ends with 2 pending and 1 running
  std::size_t reportedAtMessage = 0;
  mPrompts.OnMessage = [&] { reportedAtMessage = mAppended.size(); };

  Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 1);
  // Pictures 1 and 2 wait in the pool for the slot: not handed out yet.
  EXPECT_EQ(mScheduler.OfferedDownloads(), 2);
  EXPECT_TRUE(mStatuses[SavedName(1)].empty());

  Finish(0);
  EXPECT_EQ(mCrawl.DispatchedCount, 2);
  Finish(1);
  EXPECT_TRUE(mPrompts.Messages.empty());
  EXPECT_EQ(mStatus.Text(2), "Downloading picture " + GateUrl(2));

  Finish(2);
  EXPECT_EQ(mPrompts.Messages, std::vector<std::string>{"Vexilo task is completed!"});
  EXPECT_EQ(reportedAtMessage, 3u);
  EXPECT_EQ(mAppended, (std::vector<std::string>{SavedName(0), SavedName(1), SavedName(2)}));
  EXPECT_EQ(SavedCount(), "3");
}

TEST_F(DownloadSchedulerTest, WhileDrainingTheCountIsWrittenAtOnceOnlyAtStopAndShutDown) {
  mSettings.DownloadThread = "1";
  Queue(4);
  StartCrawl();
  mFlags.CrawlFinished();
  Tick();
  EXPECT_EQ(SavedCount(), "1");
  Finish(0);
  EXPECT_EQ(mCrawl.DispatchedCount, 2);
  EXPECT_EQ(SavedCount(), "1");

  mFlags.StopPressed();
  Tick();
  EXPECT_EQ(SavedCount(), "2");
  Finish(1);
  StartCrawl();
  mFlags.CrawlFinished();
  Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 3);
  mScheduler.Shutdown();

  EXPECT_EQ(SavedCount(), "3");
  EXPECT_EQ(mCrawl.CutOff, (std::vector<QueuedPicture>{{GateUrl(2), SavedName(2)}}));
}

TEST_F(DownloadSchedulerTest, StopWhileDrainingStartsNothingMoreAndKeepsTheCount) {
  mSettings.DownloadThread = "1";
  Queue(3);
  StartCrawl();
  mFlags.CrawlFinished();
  Tick();
  EXPECT_EQ(SavedCount(), "1");

  mFlags.StopPressed();
  Tick();
  EXPECT_FALSE(mTimer.Enabled());
  Finish(0);  // a started worker still reports

  EXPECT_EQ(mAppended, std::vector<std::string>{SavedName(0)});
  EXPECT_EQ(mCrawl.DispatchedCount, 1);
  EXPECT_EQ(SavedCount(), "1");
  EXPECT_TRUE(mPrompts.Messages.empty());
  mMainThread.RunPending();
  EXPECT_EQ(mServer.Requests().size(), 1u) << "picture 1 was offered, and taken back";
}

TEST_F(DownloadSchedulerTest, FailedCounterWriteIsToldOnceAndTheDownloadsGoOn) {
  RecordingPrompts prompts;
  SchedulerParts parts = Parts(prompts);
  parts.CounterSaveInterval = std::chrono::milliseconds(0);
  DownloadScheduler scheduler{std::move(parts)};
  Queue(4);
  mFlags.CrawlFinished();
  scheduler.StartCrawl();
  std::filesystem::remove_all(mStateFiles.StateFolder(mTask.FolderName));

  Tick(scheduler);
  EXPECT_EQ(mCrawl.DispatchedCount, 3);
  mServer.OpenGate(0);
  ASSERT_TRUE(mMainThread.RunUntil([&] { return mCrawl.DispatchedCount == 4; }));
  ASSERT_EQ(prompts.Errors.size(), 1u);
  EXPECT_TRUE(prompts.Errors[0].starts_with(kSaveFailedText));
  mServer.OpenAllGates();
  EXPECT_TRUE(mMainThread.RunUntil([&] { return scheduler.ActiveWorkers() == 0; }));
}

TEST_F(DownloadSchedulerTest, ShutdownKeepsCutOffDownloadsAndResumeFetchesThemFirst) {
  mSettings.DownloadThread = "2";
  Queue(4);
  StartCrawl();
  Tick();
  ASSERT_TRUE(mServer.WaitForRequests(2));
  Finish(0);  // its slot goes to picture 2; pictures 1 and 2 are cut off
  ASSERT_TRUE(mServer.WaitForRequests(3));
  mScheduler.Shutdown();

  const std::vector<QueuedPicture> cutOff = {{GateUrl(1), SavedName(1)},
                                             {GateUrl(2), SavedName(2)}};
  // Worker 0 reports before it marks itself finished, so shut-down may count it as cut off
  // too: such a picture is merely fetched once more.
  auto withoutPicture0 = [&](std::vector<QueuedPicture> pictures) {
    if (!pictures.empty() && pictures.front().Url == GateUrl(0)) pictures.erase(pictures.begin());
    return pictures;
  };
  EXPECT_EQ(withoutPicture0(mCrawl.CutOff), cutOff);
  EXPECT_EQ(mCrawl.DispatchedCount, 3);  // still counted as handed out
  CrawlState saved;
  std::vector<PictureEntry> rows;
  mStateFiles.LoadCrawlState(mTask.FolderName, rows, saved);
  EXPECT_EQ(saved.CutOff, mCrawl.CutOff);

  // The next run resumes with what was saved: the cut-off pictures go first.
  mCrawl.CutOff = cutOff;
  mCrawl.CutOff.insert(mCrawl.CutOff.begin(), {GateUrl(9), (mPictures / "../p9.jpg").string()});
  mAppended.clear();
  mStarts.clear();
  mServer.OpenAllGates();
  DownloadScheduler next{Parts()};
  mFlags.CrawlStarted();
  next.StartCrawl();
  next.Tick();
  ASSERT_TRUE(mMainThread.RunUntil([&] { return mAppended.size() == 3; }));
  EXPECT_TRUE(mCrawl.CutOff.empty());
  EXPECT_EQ(mCrawl.DispatchedCount, 4);
  std::sort(mAppended.begin(), mAppended.end());
  EXPECT_EQ(mAppended, (std::vector<std::string>{SavedName(1), SavedName(2), SavedName(3)}));
  EXPECT_EQ(mStarts, (std::vector<std::string>{SavedName(1), SavedName(2), SavedName(3)}));
  EXPECT_FALSE(std::filesystem::exists(mPictures / "../p9.jpg"));
  next.Shutdown();
}

TEST_F(DownloadSchedulerTest, AnEarlierTasksCutOffDownloadGoesToItsOwnState) {
  Queue(1);
  StartCrawl();
  Tick();
  ASSERT_TRUE(mServer.WaitForRequests(1));
  mTask.FolderName = "dogs";  // a new task runs while the first one's picture still downloads
  mScheduler.Shutdown();

  EXPECT_TRUE(mCrawl.CutOff.empty());
  CrawlState cats;
  std::vector<PictureEntry> rows;
  mStateFiles.LoadCrawlState("cats", rows, cats);
  EXPECT_EQ(cats.CutOff, (std::vector<QueuedPicture>{{GateUrl(0), SavedName(0)}}));
}

TEST_F(DownloadSchedulerTest, WorkersOfAnEarlierCrawlStillCountAgainstTheLimit) {
  Queue(4);
  StartCrawl();
  Tick();
  EXPECT_EQ(mScheduler.OfferedDownloads(), 1);

  // The next crawl: what the first one offered and has not started stays in its queue.
  mScheduler.SettleHandOuts();
  EXPECT_FALSE(mTimer.Enabled()) << "nothing is handed out while the next crawl loads";
  mCrawl = CrawlState{};
  Queue(3, 10);
  StartCrawl();
  EXPECT_EQ(mScheduler.ActiveWorkers(), 3);
  Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 0);

  Finish(0);
  EXPECT_EQ(mCrawl.DispatchedCount, 1);
  EXPECT_EQ(mScheduler.ActiveWorkers(), 3);
  FinishAll();
  for (const SeenRequest& request : mServer.Requests()) EXPECT_NE(request.Path, "/gate/3");
}

TEST_F(DownloadSchedulerTest, ShutdownDropsTheReportsThatWait) {
  mSettings.DownloadThread = "2";
  Queue(3);
  StartCrawl();
  Tick();
  mServer.OpenGate(0);
  // Download 0's report now waits for the main thread; download 1 is still in its transfer.
  ASSERT_TRUE(mMainThread.WaitForQueued(1));

  mScheduler.Shutdown();
  mMainThread.RunPending();
  Tick();

  EXPECT_TRUE(mAppended.empty());
  EXPECT_EQ(mScheduler.ActiveWorkers(), 0);
  EXPECT_EQ(mCrawl.DispatchedCount, 2);
}

// Settled when a picture is handed out: the options, and the credentials for the task's site.
TEST_F(DownloadSchedulerTest, HandsEachDownloadTheOptionsAndOnlyItsSitesCredentials) {
  mSettings.AuthName = "user";
  mSettings.AuthPass = "secret";
  mSettings.Advanced.FollowRedirects = true;
  mSettings.Advanced.KeepOnlyRealPictures = true;
  mTask.StartUrl = mServer.Url("/");
  LoopbackServer other;
  other.AddPicture("/third.gif");
  mServer.AddRedirect("/moved", "/gate/1");
  mServer.Http().Get("/missing", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("gone", "text/html");
  });
  const std::string thirdParty = "http://localhost:" + std::to_string(other.Port()) + "/third.gif";
  mCrawl.Queue = {{mServer.Url("/moved"), SavedName(1)},
                  {mServer.Url("/missing"), SavedName(2)},
                  {thirdParty, SavedName(3)}};
  StartCrawl();
  mFlags.CrawlFinished();
  mServer.OpenAllGates();
  mScheduler.Tick();
  FinishAll();

  EXPECT_EQ(mFinalAddresses, std::vector<std::string>{SavedName(1) + ": " + GateUrl(1)});
  // The gate's body is text, no picture.
  EXPECT_EQ(mStatuses[SavedName(1)].back(), "failed: not a picture");
  EXPECT_EQ(mStatuses[SavedName(2)].back(), "failed: 404 Not Found");
  EXPECT_EQ(mAppended, std::vector<std::string>{SavedName(3)});
  EXPECT_FALSE(std::filesystem::exists(SavedName(2)));
  for (const SeenRequest& request : mServer.Requests()) {
    EXPECT_EQ(httplib::detail::get_header_value(request.Headers, "Authorization", 0, ""),
              std::string("Basic dXNlcjpzZWNyZXQ="))
        << request.Path;
  }
  ASSERT_EQ(other.Requests().size(), 1u);
  EXPECT_FALSE(other.Requests()[0].Headers.contains("Authorization"));
}

TEST_F(DownloadSchedulerTest, SavePathOutsideTheTaskFolderIsSkippedButCounted) {
  mSettings.DownloadThread = "5";
  const std::filesystem::path taskFolder = mPictures / "task";
  std::filesystem::create_directories(taskFolder);
  mTask.TaskFolder = taskFolder.string() + "/";
  TempDir elsewhere;
  const std::vector<std::string> saveNames = {
      (taskFolder / "p0.jpg").string(), (taskFolder / ".." / "escape.jpg").string(),
      (elsewhere / "p.jpg").string(),   (taskFolder / "sub" / "p.jpg").string(),
      (taskFolder / "..").string(),     (taskFolder / "p5.jpg").string(),
  };
  for (std::size_t i = 0; i < saveNames.size(); ++i) {
    mCrawl.Queue.push_back({GateUrl(static_cast<int>(i)), saveNames[i]});
  }
  StartCrawl();
  mFlags.CrawlFinished();

  Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 6);
  EXPECT_EQ(mScheduler.ActiveWorkers(), 2);
  FinishAll();
  Tick();
  EXPECT_EQ(SavedCount(), "6");

  std::vector<std::string> fetched;
  for (const SeenRequest& request : mServer.Requests()) fetched.push_back(request.Path);
  std::sort(fetched.begin(), fetched.end());
  EXPECT_EQ(fetched, (std::vector<std::string>{"/gate/0", "/gate/5"}));
  EXPECT_FALSE(std::filesystem::exists(mPictures / "escape.jpg"));
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "p.jpg"));
}

TEST_F(DownloadSchedulerTest, FullDiskPausesTheHandOutUntilThereIsRoomAgain) {
  mFreeBytes = DiskFloor::kDefaultBytes - 1;
  Queue(2);
  StartCrawl();
  mFlags.CrawlFinished();

  Tick();
  Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 0);
  EXPECT_EQ(mScheduler.ActiveWorkers(), 0);
  EXPECT_TRUE(mPrompts.Messages.empty());
  EXPECT_EQ(mStatus.Text(2),
            "Downloads paused: less than 256 MiB free in " + mPictures.Path().string() + ".");

  mFreeBytes = DiskFloor::kDefaultBytes;
  Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 2);
  FinishAll();
  std::sort(mAppended.begin(), mAppended.end());  // the two workers finish in either order
  EXPECT_EQ(mAppended, (std::vector<std::string>{SavedName(0), SavedName(1)}));
}

TEST_F(DownloadSchedulerTest, BeforeTheTaskFolderExistsTheDownloadFolderIsMeasured) {
  mSettings.DownFolder = mPictures.Path().string();
  mTask.TaskFolder = (mPictures / "not-made-yet").string();
  mFreeBytes = 0;
  mCrawl.Queue.push_back({GateUrl(0), (mPictures / "not-made-yet" / "p0.jpg").string()});
  StartCrawl();

  mScheduler.Tick();

  EXPECT_EQ(mCrawl.DispatchedCount, 0);
  EXPECT_EQ(mStatus.Text(2),
            "Downloads paused: less than 256 MiB free in " + mPictures.Path().string() + ".");
}

// A server that is busy for its first `busy` requests (503, Retry-After: 1), then serves.
// The rules alone, on the pool's fake and the scheduler's clock.
class SchedulerRulesTest : public DownloadSchedulerTest {
 protected:
  DownloadScheduler& Make(SchedulerParts parts) {
    parts.MakePool = mPool.Maker();
    mRules.emplace(std::move(parts));
    mFlags.CrawlStarted();
    mRules->StartCrawl();
    return *mRules;
  }
  void TickAndStart() {
    mRules->Tick();
    mPool.StartWhatFits();
  }

  FakeTransferPool mPool;
  std::optional<DownloadScheduler> mRules;
};

TEST_F(SchedulerRulesTest, WhileDrainingTheCountIsWrittenAtFirstAndThenOncePerInterval) {
  mSettings.DownloadThread = "1";
  Queue(3);
  SchedulerParts parts = Parts();
  parts.CounterSaveInterval = std::chrono::seconds(1);
  Make(std::move(parts));
  mFlags.CrawlFinished();

  TickAndStart();
  EXPECT_EQ(SavedCount(), "1") << "never written before: at once, whatever the clock reads";
  mPool.End(GateUrl(0), FakeTransferPool::Fetched());
  mPool.StartWhatFits();
  EXPECT_EQ(mCrawl.DispatchedCount, 2);
  EXPECT_EQ(SavedCount(), "1");
  mClock.Advance(std::chrono::milliseconds(999));
  TickAndStart();
  EXPECT_EQ(SavedCount(), "1");
  mClock.Advance(std::chrono::milliseconds(1));
  TickAndStart();
  EXPECT_EQ(SavedCount(), "2");
}

TEST_F(SchedulerRulesTest, ARetryIsOfferedOnceItsWaitHasPassed) {
  mSettings.Advanced.RetryFailed = true;
  Queue(1);
  SchedulerParts parts = Parts();
  parts.Retries = RetryPolicy{};  // 2 s before the first retry
  DownloadScheduler& scheduler = Make(std::move(parts));
  TickAndStart();
  mPool.End(GateUrl(0), FakeTransferPool::Transient("timed out"));
  EXPECT_EQ(scheduler.WaitingRetries(), 1u);

  mClock.Advance(std::chrono::milliseconds(1999));
  TickAndStart();
  EXPECT_TRUE(mPool.Running().empty());
  mClock.Advance(std::chrono::milliseconds(1));
  TickAndStart();
  EXPECT_EQ(mPool.Running(), std::vector<std::string>{GateUrl(0)});
  EXPECT_EQ(scheduler.WaitingRetries(), 0u);
  EXPECT_EQ(mStatuses[SavedName(0)],
            (std::vector<std::string>{"downloading", "retrying", "downloading"}));
}

TEST_F(SchedulerRulesTest, WhileTheCrawlRunsOnlyWhatTheStateFilesHoldIsHandedOut) {
  mSettings.DownloadThread = "4";
  Queue(3);
  mFlags.QueueOnDisk = 1;
  Make(Parts());

  TickAndStart();
  EXPECT_EQ(mPool.Running(), std::vector<std::string>{GateUrl(0)});
  mFlags.QueueOnDisk = 3;  // the crawl saved
  TickAndStart();
  EXPECT_EQ(mPool.Running().size(), 3u);
}

class FailingSite {
 public:
  FailingSite() {
    mServer.Http().Get("/busy", [this](const httplib::Request&, httplib::Response& response) {
      if (mAnswered++ < mBusy) {
        response.status = 503;
        response.set_header("Retry-After", "1");
        response.set_content("busy", "text/plain");
      } else {
        response.set_content("picture", "image/jpeg");
      }
    });
    mServer.Http().Get("/missing", [](const httplib::Request&, httplib::Response& response) {
      response.status = 404;
      response.set_content("not here", "text/plain");
    });
  }
  std::string Url(const std::string& path) const { return mServer.Url(path); }
  int Hits(const std::string& path) const { return mServer.Hits(path); }
  void SetBusy(int busy) { mBusy = busy; }

 private:
  std::atomic<int> mBusy{0};
  std::atomic<int> mAnswered{0};
  LoopbackServer mServer;  // goes first, before what its handlers use
};

struct FailureCase {
  const char* Name;
  bool RetryFailed;
  const char* Path;
  int Busy;                // 503 answers before the picture
  int Hits;                // requests the picture costs
  const char* LastStatus;  // of its row
  const char* Counts;      // status panel 0 at the end
};

void PrintTo(const FailureCase& row, std::ostream* out) { *out << row.Name; }

class DownloadFailureTest : public DownloadSchedulerTest,
                            public testing::WithParamInterface<FailureCase> {
 protected:
  FailingSite mSite;
};

TEST_P(DownloadFailureTest, IsRetriedOnlyWhenPassingAndAllowedAndEndsVisible) {
  const FailureCase& row = GetParam();
  mSettings.Advanced.RetryFailed = row.RetryFailed;
  mSite.SetBusy(row.Busy);
  const std::string saveAs = SavedName(0);
  mCrawl.Queue.push_back({mSite.Url(row.Path), saveAs});
  StartCrawl();
  mFlags.CrawlFinished();

  mScheduler.Tick();
  ASSERT_TRUE(mMainThread.RunUntil([this] { return mScheduler.DownloadsComplete(); }));

  EXPECT_EQ(mSite.Hits(row.Path), row.Hits);
  ASSERT_FALSE(mStatuses[saveAs].empty());
  EXPECT_EQ(mStatuses[saveAs].back(), row.LastStatus);
  EXPECT_EQ(mStatus.Text(0), row.Counts);
  const bool failed = std::string(row.LastStatus).starts_with("failed: ");
  EXPECT_EQ(mAppended.size(), failed ? 0u : 1u);
  const std::vector<FailedPicture> expected =
      failed ? std::vector<FailedPicture>{{mSite.Url(row.Path), saveAs,
                                           std::string(row.LastStatus).substr(8)}}
             : std::vector<FailedPicture>{};
  EXPECT_EQ(mCrawl.Failed, expected);
  EXPECT_EQ(mStateFiles.ReadFailed(mTask.FolderName), expected) << "saved once the crawl ended";
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, DownloadFailureTest,
    testing::Values(FailureCase{"BusyOnceRetried", true, "/busy", 1, 2, "done",
                                "1 downloaded, 0 failed"},
                    FailureCase{"BusyOnceNotRetriedWhenOff", false, "/busy", 1, 1,
                                "failed: 503 Service Unavailable", "0 downloaded, 1 failed"},
                    FailureCase{"BusyForEverTriedFourTimes", true, "/busy", 99, 4,
                                "failed: 503 Service Unavailable", "0 downloaded, 1 failed"},
                    FailureCase{"NotFoundNeverRetried", true, "/missing", 0, 1,
                                "failed: 404 Not Found", "0 downloaded, 1 failed"}));

TEST_F(DownloadSchedulerTest, AWaitingRetryHoldsNoSlotAndStopGivesItUpKeepingItFailed) {
  mSettings.Advanced.RetryFailed = true;
  mSettings.DownloadThread = "1";
  FailingSite site;
  site.SetBusy(99);
  const RetryPolicy inAnHour{{std::chrono::hours(1), std::chrono::hours(1), std::chrono::hours(1)},
                             std::chrono::hours(1)};
  SchedulerParts parts = Parts();
  parts.Retries = inAnHour;
  DownloadScheduler scheduler{std::move(parts)};
  mCrawl.Queue.push_back({site.Url("/busy"), SavedName(0)});
  Queue(1, 1);
  mFlags.CrawlStarted();
  scheduler.StartCrawl();
  scheduler.Tick();
  ASSERT_TRUE(mMainThread.RunUntil([&] { return scheduler.WaitingRetries() == 1; }));
  EXPECT_EQ(mStatuses[SavedName(0)].back(), "retrying");
  EXPECT_EQ(mCrawl.Failed.size(), 1u) << "a crash now leaves it to Resume";
  // The freed slot serves the next picture while the retry waits for its time.
  ASSERT_TRUE(mMainThread.RunUntil([&] { return mCrawl.DispatchedCount == 2; }));
  scheduler.Tick();
  EXPECT_EQ(scheduler.ActiveWorkers(), 1);
  EXPECT_EQ(site.Hits("/busy"), 1);
  mServer.OpenGate(1);
  ASSERT_TRUE(mMainThread.RunUntil([&] { return scheduler.ActiveWorkers() == 0; }));

  mFlags.StopPressed();
  scheduler.Tick();

  EXPECT_EQ(scheduler.WaitingRetries(), 0u);
  EXPECT_EQ(mStatuses[SavedName(0)].back(), "failed: 503 Service Unavailable");
  EXPECT_EQ(
      mCrawl.Failed,
      (std::vector<FailedPicture>{{site.Url("/busy"), SavedName(0), "503 Service Unavailable"}}));
  EXPECT_FALSE(mTimer.Enabled());
}

TEST_F(DownloadSchedulerTest, WithRetriesAtMostFourDownloadsGoToOneHostAndThePicturesBehindWait) {
  mSettings.DownloadThread = "10";
  mSettings.Advanced.RetryFailed = true;
  Queue(6);
  LoopbackServer other{LoopbackServer::Connections::OnePerRequest};  // stops at once
  mCrawl.Queue.push_back({other.Url("/gate/99"), SavedName(99)});
  StartCrawl();

  Tick();
  EXPECT_EQ(mScheduler.ActiveWorkers(), 4);
  EXPECT_EQ(mCrawl.DispatchedCount, 4) << "the queue keeps its order";
  EXPECT_EQ(mStatuses[SavedName(4)], std::vector<std::string>{});

  Finish(0);
  EXPECT_EQ(mCrawl.DispatchedCount, 5);
  EXPECT_EQ(mScheduler.ActiveWorkers(), 4);
  Finish(1);
  EXPECT_EQ(mCrawl.DispatchedCount, 7) << "picture 5 fills the host; the other host's follows";
  EXPECT_EQ(mScheduler.ActiveWorkers(), 5);
  other.OpenAllGates();
  FinishAll();
  EXPECT_EQ(mStatuses[SavedName(99)].back(), "done");
}

TEST_F(DownloadSchedulerTest, WithoutRetriesEverySlotMayGoToOneHost) {
  mSettings.DownloadThread = "6";  // the test server answers 8 requests at a time
  Queue(8);
  StartCrawl();

  Tick();
  EXPECT_EQ(mScheduler.ActiveWorkers(), 6);
  EXPECT_EQ(mCrawl.DispatchedCount, 6);
  EXPECT_TRUE(mServer.WaitForRequests(6));
}

struct HostLimitCase {
  const char* Name;
  bool RetryFailed;
};

void PrintTo(const HostLimitCase& row, std::ostream* out) { *out << row.Name; }

class TwoConnectionHostTest : public DownloadSchedulerTest,
                              public testing::WithParamInterface<HostLimitCase> {
 protected:
  ConnectionLimitedServer mHost{2};
};

// With retries four connections go to the host at once, so some are refused; each refusal
// lets two pictures through, so three retries always suffice for eight pictures. Without,
// all eight go at once.
TEST_P(TwoConnectionHostTest, RefusedConnectionsAreRetriedToTheEndOrKeptAsFailed) {
  constexpr int kPictures = 8;
  mSettings.DownloadThread = "10";
  mSettings.Advanced.RetryFailed = GetParam().RetryFailed;
  for (int i = 0; i < kPictures; ++i) {
    mCrawl.Queue.push_back({mHost.Url("/p" + std::to_string(i) + ".gif"), SavedName(i)});
  }
  StartCrawl();
  mFlags.CrawlFinished();

  mScheduler.Tick();
  // Once nothing more can come, the host answers what it still holds.
  ASSERT_TRUE(mMainThread.RunUntil([&] {
    return mCrawl.DispatchedCount == kPictures && mScheduler.WaitingRetries() == 0 &&
           mScheduler.ActiveWorkers() == mHost.Held();
  }));
  mHost.ReleaseHeld();
  ASSERT_TRUE(mMainThread.RunUntil([this] { return mScheduler.DownloadsComplete(); }));

  EXPECT_EQ(mHost.MostAtOnce(), 2);
  ASSERT_GE(mHost.Refused(), 1);
  std::vector<FailedPicture> failed;
  int retries = 0;
  for (int i = 0; i < kPictures; ++i) {
    const std::string path = "/p" + std::to_string(i) + ".gif";
    const std::vector<std::string>& statuses = mStatuses[SavedName(i)];
    retries += static_cast<int>(std::count(statuses.begin(), statuses.end(), "retrying"));
    ASSERT_FALSE(statuses.empty()) << path;
    if (statuses.back() == "done") {
      EXPECT_EQ(ReadFileBytes(SavedName(i)), ConnectionLimitedServer::Body(path)) << path;
    } else {
      EXPECT_EQ(statuses.back(), "failed: connection lost") << path;
      failed.push_back({mHost.Url(path), SavedName(i), "connection lost"});
    }
  }
  const int lost = GetParam().RetryFailed ? 0 : mHost.Refused();
  EXPECT_EQ(failed.size(), static_cast<std::size_t>(lost));
  EXPECT_EQ(retries, GetParam().RetryFailed ? mHost.Refused() : 0);
  EXPECT_EQ(mHost.Served(), kPictures - lost);
  EXPECT_EQ(mAppended.size(), static_cast<std::size_t>(kPictures - lost));
  EXPECT_EQ(mStatus.Text(0),
            std::to_string(kPictures - lost) + " downloaded, " + std::to_string(lost) + " failed");
  // Kept in the order they failed.
  auto byPath = [](std::vector<FailedPicture> pictures) {
    std::sort(pictures.begin(), pictures.end(), [](const FailedPicture& a, const FailedPicture& b) {
      return a.SavePath < b.SavePath;
    });
    return pictures;
  };
  EXPECT_EQ(byPath(mCrawl.Failed), failed);
  EXPECT_EQ(byPath(mStateFiles.ReadFailed(mTask.FolderName)), failed);
}

INSTANTIATE_TEST_SUITE_P(Retries, TwoConnectionHostTest,
                         testing::Values(HostLimitCase{"RetriedToSuccess", true},
                                         HostLimitCase{"KeptAsFailedWhenOff", false}));

TEST(RetryWaitTest, GrowsThenGivesUpAndHonoursTheServerUpToItsLimit) {
  using std::chrono::milliseconds;
  using std::chrono::seconds;
  const RetryPolicy policy;
  struct Row {
    int Retry;
    seconds RetryAfter;
    std::optional<milliseconds> Wait;
  };
  const Row rows[] = {
      {1, seconds(0), seconds(2)},     {2, seconds(0), seconds(8)},
      {3, seconds(0), seconds(30)},    {4, seconds(0), std::nullopt},
      {1, seconds(120), seconds(120)}, {2, seconds(3600), std::chrono::minutes(5)},
      {4, seconds(5), std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(RetryWait(policy, row.Retry, row.RetryAfter), row.Wait)
        << "retry " << row.Retry << ", Retry-After " << row.RetryAfter.count();
  }
}

struct WorkerCountCase {
  const char* Setting;
  std::int32_t MaxWorkers;
};

void PrintTo(const WorkerCountCase& row, std::ostream* out) { *out << '"' << row.Setting << '"'; }

class MaxWorkersTest : public DownloadSchedulerTest,
                       public testing::WithParamInterface<WorkerCountCase> {};

TEST_P(MaxWorkersTest, ComesFromTheDownloadThreadSetting) {
  mSettings.DownloadThread = GetParam().Setting;
  StartCrawl();
  EXPECT_EQ(mScheduler.MaxWorkers(), GetParam().MaxWorkers);
}

INSTANTIATE_TEST_SUITE_P(Settings, MaxWorkersTest,
                         testing::Values(WorkerCountCase{"3", 3}, WorkerCountCase{"10", 10},
                                         WorkerCountCase{"1", 1}, WorkerCountCase{"0", 1},
                                         WorkerCountCase{"-4", 1}, WorkerCountCase{"abc", 3},
                                         WorkerCountCase{"2.5", 3}, WorkerCountCase{"", 3},
                                         WorkerCountCase{"64", 64}, WorkerCountCase{"65", 64},
                                         WorkerCountCase{"999999999", 64}));

}  // namespace
}  // namespace vexilo::test
