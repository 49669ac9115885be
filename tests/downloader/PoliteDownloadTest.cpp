// Downloads while crawling politely, against servers on loopback: one host's pictures start
// a gap apart and a 503 with Retry-After holds the host, the speed cap holds for the
// transfers together, and robots.txt is read as the RFC says, once per site and crawl.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>

#include "downloader/DownloadPool.h"
#include "downloader/DownloadScheduler.h"
#include "downloader/RobotsFetch.h"
#include "support/FakeSeams.h"
#include "support/LoopbackServer.h"
#include "support/SchedulerRig.h"
#include "support/TempDir.h"

namespace vexilo::test {
namespace {

using namespace std::chrono_literals;
using SteadyTime = std::chrono::steady_clock::time_point;

class PoliteDownloadTest : public testing::Test, protected SchedulerRig {
 protected:
  PoliteDownloadTest() {
    mTask.FolderName = "t";
    mTask.TaskFolder = mPictures.Path().string();
    std::filesystem::create_directories(mStateFiles.StateFolder(mTask.FolderName));
    mSettings.Advanced.CrawlPolitely = true;
    mScheduler.SetPacing(&mPacing);
  }

  // Serves body at path and notes when each request for it came.
  void Serve(const std::string& path, std::string body, int status = 200,
             const char* retryAfter = nullptr) {
    mServer.Http().Get(path, [=, this](const httplib::Request&, httplib::Response& response) {
      {
        std::lock_guard lock(mMutex);
        mArrived[path] = std::chrono::steady_clock::now();
      }
      response.status = status;
      if (retryAfter != nullptr) response.set_header("Retry-After", retryAfter);
      response.set_content(body, "image/gif");
    });
  }
  SteadyTime Arrived(const std::string& path) {
    std::lock_guard lock(mMutex);
    return mArrived.at(path);
  }

  // Queues the paths, hands them out as the timer would, and returns once all have ended.
  void Download(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
      mCrawl.Queue.push_back(
          {mServer.Url(path), (mPictures / std::filesystem::path(path).filename()).string(), ""});
    }
    mFlags.CrawlFinished();
    mScheduler.StartCrawl();
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!mScheduler.DownloadsComplete()) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline)
          << mCrawl.DispatchedCount << " " << mScheduler.ActiveWorkers() << " "
          << mScheduler.OfferedDownloads() << " " << mServer.Requests().size();
      mScheduler.Tick();
      const auto tick = std::chrono::steady_clock::now() + 20ms;
      mMainThread.RunUntil([&] { return std::chrono::steady_clock::now() > tick; });
    }
  }

  // The shortest gap every time, so that the test is short and the bound exact.
  HostPacing mPacing{SteadyClock(), [] { return 0.0; }};
  std::mutex mMutex;
  std::map<std::string, SteadyTime> mArrived;
  DownloadScheduler mScheduler{
      RigParts({[](const std::string&) { return std::optional<Bitmap24>(Bitmap24(1, 1)); }, nullptr,
                nullptr, nullptr, nullptr})};
};

TEST_F(PoliteDownloadTest, OneHostsPicturesStartAGapApartAndA503WithRetryAfterHoldsIt) {
  Serve("/a.gif", "GIF89a a");
  Serve("/busy.gif", "busy", 503, "1");
  Serve("/c.gif", "GIF89a c");
  Download({"/a.gif", "/busy.gif", "/c.gif"});
  // Three download threads, yet the hand-outs went 500 ms apart (the first request may have
  // waited longer for its connection), and the pause held from the 503's report on.
  EXPECT_GE(Arrived("/busy.gif") - Arrived("/a.gif"), 350ms);
  EXPECT_GE(Arrived("/c.gif") - Arrived("/busy.gif"), 950ms);
}

TEST_F(PoliteDownloadTest, TheSpeedCapHoldsForTheTransfersTogether) {
  constexpr std::size_t kBytes = 64 * 1024;
  Serve("/one.gif", std::string(kBytes, 'x'));
  Serve("/two.gif", std::string(kBytes, 'y'));
  mSettings.DownloadThread = "2";
  mSettings.Advanced.DownloadKBps = 64;
  const SteadyTime start = std::chrono::steady_clock::now();
  Download({"/one.gif", "/two.gif"});
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // Uncapped, loopback takes milliseconds; libcurl may run ahead by a read at the start.
  const double rate = 2.0 * kBytes / seconds;
  EXPECT_LT(rate, 1.6 * 64 * 1024) << seconds << " s";
  EXPECT_EQ(std::filesystem::file_size(mPictures / "two.gif"), kBytes);
}

TEST(RobotsFetch, ReadsTheFileOnceASiteAndTreatsFailuresAsTheRfcSays) {
  const std::atomic<bool> abort{false};
  const RobotsFetchLimits limits{5s};
  const auto fetch = [&](const std::string& origin) {
    return FetchRobots(origin, "", "", limits, abort);
  };
  LoopbackServer rules;
  rules.AddPage("/robots.txt", "User-agent: Vexilo\nDisallow: /private\n");
  LoopbackServer missing;  // 404
  LoopbackServer broken;
  broken.Http().Get("/robots.txt", [](const httplib::Request&, httplib::Response& response) {
    response.status = 500;
  });
  LoopbackServer huge;  // a rule past the size limit is not read
  huge.AddPage("/robots.txt", "User-agent: *\nDisallow: /a\n" + std::string(kMostRobotsBytes, '#') +
                                  "\nDisallow: /");

  EXPECT_FALSE(fetch(rules.Url("")).Allows("/private/x"));
  EXPECT_TRUE(fetch(rules.Url("")).Allows("/public"));
  EXPECT_TRUE(fetch(missing.Url("")).Allows("/x"));
  EXPECT_FALSE(fetch(broken.Url("")).Allows("/x"));
  EXPECT_FALSE(fetch("http://127.0.0.1:" + std::to_string(UnusedPort())).Allows("/x"));
  EXPECT_FALSE(fetch(huge.Url("")).Allows("/a"));
  EXPECT_TRUE(fetch(huge.Url("")).Allows("/b"));

  AppSettings settings;
  HostPacing pacing;
  RobotsCache cache(settings, &pacing, limits);
  int waits = 0;
  const RobotsCheck::KeepWaiting keepWaiting = [&waits] { return ++waits > 0; };
  const int before = rules.Hits("/robots.txt");
  EXPECT_FALSE(cache.Allows(rules.Url("/private/a.gif"), keepWaiting));
  EXPECT_TRUE(cache.Allows(rules.Url("/b.gif"), keepWaiting));
  EXPECT_EQ(rules.Hits("/robots.txt"), before + 1);
  EXPECT_FALSE(pacing.MaySendNow(HostPacing::HostKeyOf(rules.Url(""))));  // a request, too
  cache.Forget();
  EXPECT_TRUE(cache.Allows(rules.Url("/c.gif"), nullptr));
  EXPECT_EQ(rules.Hits("/robots.txt"), before + 2);
  // A wait given up is no answer: the address is not fetched.
  LoopbackServer held;
  held.Http().Get("/robots.txt",
                  [&held](const httplib::Request&, httplib::Response&) { held.WaitAtGate(1); });
  EXPECT_FALSE(cache.Allows(held.Url("/x"), [] { return false; }));
  held.OpenAllGates();
}

}  // namespace
}  // namespace vexilo::test
