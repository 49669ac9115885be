#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>

#include "LoopbackServer.h"
#include "core/LineFile.h"
#include "downloader/DownloadScheduler.h"
#include "downloader/DownloadTimer.h"
#include "support/FakeSeams.h"
#include "support/TempDir.h"

namespace vexilo::test {
namespace {

// Only remembers its state; the tests call Tick() themselves.
class FakeTimer : public DownloadTimer {
 public:
  void SetEnabled(bool enabled) override { mEnabled = enabled; }
  bool Enabled() const override { return mEnabled; }

 private:
  bool mEnabled = false;
};

class DownloadSchedulerTest : public testing::Test {
 protected:
  DownloadSchedulerTest() {
    mServer.Start();
    mTask.FolderName = "cats";
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
      mCrawl.PictureUrls.push_back(GateUrl(gate));
      mCrawl.SavedNames.push_back((mPictures / ("p" + std::to_string(gate) + ".jpg")).string());
    }
  }
  std::string GateUrl(int gate) const { return mServer.Url("/gate/" + std::to_string(gate)); }
  std::string SavedName(int gate) const {
    return (mPictures / ("p" + std::to_string(gate) + ".jpg")).string();
  }

  void StartCrawl() {
    mFlags.CrawlIdle = false;
    mFlags.StopRequested = false;
    mScheduler.StartCrawl();
  }
  // Lets the worker of the gate finish, and runs its report and then the refill it asks for
  // once it has left the download lock. The other workers wait at their gates meanwhile.
  void Finish(int gate) {
    const std::size_t reportAndRefill = mMainThread.RunCount() + 2;
    mServer.OpenGate(gate);
    ASSERT_TRUE(mMainThread.RunUntil([&] { return mMainThread.RunCount() >= reportAndRefill; }));
  }
  void FinishAll() {
    mServer.OpenAllGates();
    ASSERT_TRUE(mMainThread.RunUntil([this] {
      return mScheduler.ActiveWorkers() == 0 &&
             mCrawl.DispatchedCount == static_cast<std::int32_t>(mCrawl.PictureUrls.size());
    }));
  }
  std::string SavedCount() {
    const std::vector<std::string> lines =
        ReadLines(mStateFiles.StateFolder(mTask.FolderName) / "counti.dat");
    return lines.size() == 3 ? lines[2] : "(no counti.dat)";
  }

  LoopbackServer mServer;
  TempDir mProgram;
  TempDir mPictures;
  CrawlState mCrawl;
  RunFlags mFlags;
  AppSettings mSettings;
  TaskRecord mTask;
  TaskStateFiles mStateFiles{mProgram.Path()};
  RecordingPrompts mPrompts = RecordingPrompts::MessagesOnly();
  RecordingStatus mStatus;
  FakeMainThread mMainThread;
  FakeTimer mTimer;
  std::vector<std::string> mAppended;
  DownloadScheduler mScheduler{
      mCrawl, mFlags, mSettings, mTask, mStateFiles, mPrompts, mStatus, mMainThread, mTimer,
      // The gated bodies are no pictures: every saved file counts as one.
      PictureHooks{
          [](const std::string&) { return std::optional<Bitmap24>(Bitmap24(1, 1)); },
          [this](const std::string& path, const Bitmap24&) { mAppended.push_back(path); }}};
};

TEST_F(DownloadSchedulerTest, FillsTheSlotsThenStartsOnePerFreedSlot) {
  Queue(10);
  StartCrawl();
  EXPECT_TRUE(mTimer.Enabled());

  mScheduler.Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 3);
  EXPECT_EQ(mScheduler.ActiveWorkers(), 3);
  EXPECT_EQ(mStatus.Text(2), "Downloading picture " + GateUrl(2));

  mScheduler.Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 3);

  Finish(1);
  EXPECT_EQ(mAppended, std::vector<std::string>{SavedName(1)});
  EXPECT_EQ(mCrawl.DispatchedCount, 4);
  EXPECT_EQ(mScheduler.ActiveWorkers(), 3);
  EXPECT_EQ(mStatus.Text(2), "Downloading picture " + GateUrl(3));
  EXPECT_TRUE(mServer.WaitForRequests(4));
}

TEST_F(DownloadSchedulerTest, StartsNoMoreThanArePending) {
  mSettings.DownloadThread = "5";
  Queue(2);
  StartCrawl();

  mScheduler.Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 2);
  EXPECT_EQ(mScheduler.ActiveWorkers(), 2);

  Queue(1, 2);
  mScheduler.Tick();
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

  mFlags.CrawlIdle = true;
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
  mFlags.CrawlIdle = true;

  mScheduler.Tick();

  EXPECT_EQ(mPrompts.Messages, std::vector<std::string>{"Vexilo task is completed!"});
}

TEST_F(DownloadSchedulerTest, AnnouncesAfterTheLastPendingAndRunningPictureHasReported) {
  mSettings.DownloadThread = "1";
  Queue(3);
  StartCrawl();
  mScheduler.Tick();
  mFlags.CrawlIdle = true;  // the crawl ends with 2 pending and 1 running
  std::size_t reportedAtMessage = 0;
  mPrompts.OnMessage = [&] { reportedAtMessage = mAppended.size(); };

  mScheduler.Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 1);

  Finish(0);
  EXPECT_EQ(mCrawl.DispatchedCount, 2);
  EXPECT_EQ(SavedCount(), "2");
  Finish(1);
  EXPECT_EQ(SavedCount(), "3");
  EXPECT_TRUE(mPrompts.Messages.empty());
  EXPECT_EQ(mStatus.Text(2), "Downloading picture " + GateUrl(2));

  Finish(2);
  EXPECT_EQ(mPrompts.Messages, std::vector<std::string>{"Vexilo task is completed!"});
  EXPECT_EQ(reportedAtMessage, 3u);
  EXPECT_EQ(mAppended, (std::vector<std::string>{SavedName(0), SavedName(1), SavedName(2)}));
}

TEST_F(DownloadSchedulerTest, StopWhileDrainingStartsNothingMoreAndKeepsTheCount) {
  mSettings.DownloadThread = "1";
  Queue(3);
  StartCrawl();
  mFlags.CrawlIdle = true;
  mScheduler.Tick();
  EXPECT_EQ(SavedCount(), "1");

  mFlags.StopRequested = true;
  mScheduler.Tick();
  EXPECT_FALSE(mTimer.Enabled());
  Finish(0);  // a started worker still reports

  EXPECT_EQ(mAppended, std::vector<std::string>{SavedName(0)});
  EXPECT_EQ(mCrawl.DispatchedCount, 1);
  EXPECT_EQ(SavedCount(), "1");
  EXPECT_TRUE(mPrompts.Messages.empty());
}

TEST_F(DownloadSchedulerTest, FailedCounterWriteEndsTheTickWithTheHandOutCounted) {
  Queue(3);
  StartCrawl();
  mFlags.CrawlIdle = true;
  std::filesystem::remove_all(mStateFiles.StateFolder(mTask.FolderName));

  mScheduler.Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 1);
  mScheduler.Tick();
  EXPECT_EQ(mCrawl.DispatchedCount, 2);
}

TEST_F(DownloadSchedulerTest, WorkersOfAnEarlierCrawlStillCountAgainstTheLimit) {
  Queue(2);
  StartCrawl();
  mScheduler.Tick();

  mCrawl = CrawlState{};
  Queue(3, 10);
  StartCrawl();
  EXPECT_EQ(mScheduler.ActiveWorkers(), 2);
  mScheduler.Tick();

  EXPECT_EQ(mCrawl.DispatchedCount, 1);
  EXPECT_EQ(mScheduler.ActiveWorkers(), 3);
}

TEST_F(DownloadSchedulerTest, ShutdownReleasesWaitingWorkersAndDropsTheirReports) {
  mSettings.DownloadThread = "2";
  Queue(3);
  StartCrawl();
  mScheduler.Tick();
  mServer.OpenGate(0);
  // Worker 0 now waits for the main thread with the download lock held; worker 1 is still
  // in its transfer.
  ASSERT_TRUE(mMainThread.WaitForQueued(1));

  mScheduler.Shutdown();
  mMainThread.RunPending();
  mScheduler.Tick();

  EXPECT_TRUE(mAppended.empty());
  EXPECT_EQ(mScheduler.ActiveWorkers(), 0);
  EXPECT_EQ(mCrawl.DispatchedCount, 2);
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
