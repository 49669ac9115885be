#include <gtest/gtest.h>

#include <climits>
#include <fstream>

#include "core/Errors.h"
#include "core/LineFile.h"
#include "core/SaveFailureNotice.h"
#include "crawler/Crawler.h"
#include "support/FakeSeams.h"
#include "support/QueueLists.h"
#include "support/RecordingHooks.h"
#include "support/ScriptedBrowser.h"
#include "support/ScriptedSizeProbe.h"
#include "support/StateFileBytes.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::ScriptedPage;
using Strings = std::vector<std::string>;

PageDocument Links(Strings links) { return PageDocument{std::move(links), {}}; }

class CrawlerTest : public testing::Test {
 protected:
  CrawlerTest() {
    mTask.StartUrl = "http://s.com/";
    mTask.TaskFolder = (mProgram / "pictures/t").string() + "/";
    mTask.FolderName = "t";
    mTask.LinkLevels = 2;
    mTask.IdleSeconds = 10;
    mRun.StopPressed();  // left over from an earlier Stop
  }

  ScriptedPage& Page(const std::string& address, Strings links = {}) {
    ScriptedPage& page = mBrowser.Pages[address];
    page.Document = Links(std::move(links));
    return page;
  }
  // Requests Stop once the clock reaches the time.
  void StopAt(double seconds) {
    mPump.OnPump([this, seconds] {
      if (mPump.Elapsed() >= seconds) mRun.StopPressed();
    });
  }
  CrawlState SavedState() {
    CrawlState saved;
    std::vector<PictureEntry> rows;
    TaskStateFiles(mProgram.Path()).LoadCrawlState("t", rows, saved);
    return saved;
  }
  double SecondVisitAfter() const {
    return mBrowser.Visits().at(1).At - mBrowser.Visits().at(0).At;
  }

  test::TempDir mProgram;
  TaskRecord mTask;
  CrawlState mState;
  std::vector<PictureEntry> mRows;
  RunState mRun;
  test::FakeEventPump mPump;
  test::ScriptedBrowser mBrowser{mPump};
  test::RecordingPrompts mPrompts = test::RecordingPrompts::MessagesOnly();
  test::RecordingStatus mStatus;
  test::RecordingHooks mHooks;
  AdvancedSettings mOptions;
  Crawler mCrawler{mProgram.Path(), mTask,    mState,  mRows,  mRun,    mBrowser,
                   mPump,           mPrompts, mStatus, mHooks, mOptions};
};

TEST_F(CrawlerTest, VisitsLevelByLevelAndSavesAtTheEnd) {
  Page("http://s.com/", {"http://s.com/a", "http://s.com/b"});
  Page("http://s.com/a", {"http://s.com/c", "http://s.com/b"});
  Page("http://s.com/b", {"http://s.com/d", "http://s.com/c"});
  Page("http://s.com/c", {"http://s.com/e"});
  mBrowser.Pages["http://s.com/d"].Document->Images = {{"http://s.com/p.jpg", 1, 1}};

  mCrawler.RunCrawl();

  EXPECT_EQ(mBrowser.VisitedAddresses(),
            (Strings{"http://s.com/", "http://s.com/a", "http://s.com/b", "http://s.com/c",
                     "http://s.com/d"}));
  EXPECT_EQ(mState.WantUrls, (Strings{"http://s.com/e"}));
  EXPECT_TRUE(mState.TempUrls.empty());
  EXPECT_EQ(mState.VisitedUrls, (Strings{"http://s.com/", "http://s.com/a", "http://s.com/b",
                                         "http://s.com/c", "http://s.com/d", "http://s.com/e"}));
  EXPECT_EQ(test::QueuedUrls(mState), (Strings{"http://s.com/p.jpg"}));
  EXPECT_EQ(test::QueuedSavePaths(mState), (Strings{(mProgram / "pictures/t/p.jpg").string()}));
  EXPECT_EQ(mState.CrawlLevel, 3);
  EXPECT_EQ(mState.CrawlIndex, 2);
  EXPECT_TRUE(mRun.CrawlIdle());
  EXPECT_FALSE(mRun.StopRequested());
  EXPECT_EQ(mHooks.DownloadStarts, 1);
  EXPECT_TRUE(std::filesystem::is_directory(mProgram / "pictures/t"));
  EXPECT_EQ(SavedState(), mState);
  EXPECT_EQ(mStatus.History(2).back(), "Searching web page http://s.com/d");
  EXPECT_TRUE(mPrompts.Messages.empty());
}

TEST_F(CrawlerTest, NoLinkLevelsVisitsOnlyTheStartingPage) {
  mTask.LinkLevels = 0;
  Page("http://s.com/", {"http://s.com/a"});
  mCrawler.RunCrawl();
  EXPECT_EQ(mBrowser.VisitedAddresses(), (Strings{"http://s.com/"}));
  EXPECT_EQ(SavedState().WantUrls, (Strings{"http://s.com/a"}));
  EXPECT_EQ(SavedState().VisitedUrls, (Strings{"http://s.com/", "http://s.com/a"}));
}

struct WaitCase {
  int idleSeconds;
  double waited;
};
void PrintTo(const WaitCase& c, std::ostream* os) { *os << "IdleSeconds " << c.idleSeconds; }

class PageWaitTest : public CrawlerTest, public testing::WithParamInterface<WaitCase> {};
TEST_P(PageWaitTest, PagesThatNeverLoadAreAnalysedWhenTheirWaitRunsOut) {
  mTask.IdleSeconds = GetParam().idleSeconds;
  Page("http://s.com/", {"http://s.com/a"}).LoadSeconds = -1;
  Page("http://s.com/a", {"http://s.com/b"}).LoadSeconds = -1;
  Page("http://s.com/b").LoadSeconds = -1;
  mCrawler.RunCrawl();
  ASSERT_EQ(mBrowser.Visits().size(), 3u);
  EXPECT_NEAR(SecondVisitAfter(), 59, 0.05);
  EXPECT_NEAR(mBrowser.Visits()[2].At - mBrowser.Visits()[1].At, GetParam().waited, 0.05);
  EXPECT_TRUE(mRun.CrawlIdle());
}
INSTANTIATE_TEST_SUITE_P(IdleSeconds, PageWaitTest,
                         testing::Values(WaitCase{0, 0}, WaitCase{7, 7}, WaitCase{75, 75},
                                         WaitCase{-3, 0}));

TEST_F(CrawlerTest, PageWaitEndsAsSoonAsThePageHasLoaded) {
  Page("http://s.com/", {"http://s.com/a"}).LoadSeconds = 2;
  Page("http://s.com/a");
  mCrawler.RunCrawl();
  EXPECT_NEAR(SecondVisitAfter(), 2, 0.05);
}

TEST_F(CrawlerTest, StartingPageWithoutLinksWaitsForARedirect) {
  ScriptedPage& start = Page("http://s.com/");
  start.RedirectTo = "http://s.com/home";
  start.RedirectSeconds = 12;
  Page("http://s.com/home", {"http://s.com/a"}).LoadSeconds = 3;
  Page("http://s.com/a");
  mCrawler.RunCrawl();
  EXPECT_NEAR(SecondVisitAfter(), 15, 0.05);
  EXPECT_EQ(mState.VisitedUrls, (Strings{"http://s.com/", "http://s.com/a"}));
  EXPECT_EQ(mStatus.History(2).at(1), "Searching for re-direct URL");
}

TEST_F(CrawlerTest, RedirectWaitRunsOutOnAStartingPageThatStaysWithoutLinks) {
  mTask.LinkLevels = 0;
  Page("http://s.com/").LoadSeconds = -1;
  mCrawler.RunCrawl();
  EXPECT_NEAR(mPump.Elapsed(), 59 + 30 + 30, 0.1);
  EXPECT_TRUE(mRun.CrawlIdle());
}

TEST_F(CrawlerTest, OnlyTheStartingPageGetsTheRedirectWait) {
  Page("http://s.com/", {"http://s.com/a"});
  Page("http://s.com/a", {"http://s.com/b"}).LoadSeconds = 1;
  Page("http://s.com/b");
  mCrawler.RunCrawl();
  EXPECT_NEAR(mBrowser.Visits()[2].At - mBrowser.Visits()[1].At, 1, 0.05);
}

TEST_F(CrawlerTest, ManualLogonGivesTheUserAMinuteInLogonMode) {
  mTask.ManualLogin = 1;
  Page("http://s.com/", {"http://s.com/a"});
  Page("http://s.com/a");
  mCrawler.RunCrawl();
  EXPECT_EQ(mPrompts.Messages,
            (Strings{"Please complete your logon. Vexilo task will continue after one minute."}));
  EXPECT_EQ(mStatus.History(2).at(1), "Please wait one minute for completing logon....");
  EXPECT_NEAR(SecondVisitAfter(), 63, 0.05);
  EXPECT_EQ(mBrowser.Visits()[0].Mode, BrowserMode::Logon);
  EXPECT_EQ(mBrowser.Visits()[1].Mode, BrowserMode::Crawl);
  EXPECT_EQ(mHooks.GridVisibility, (std::vector<bool>{false, true}));
}

struct StopCase {
  const char* name;
  double stopAt;
  int manualLogin;
  std::int32_t level;
  std::int32_t index;
};
void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class StopTest : public CrawlerTest, public testing::WithParamInterface<StopCase> {};
TEST_P(StopTest, CancelsAndSavesTheResumePoint) {
  mOptions.PagesAtOnce = 1;  // the times below are those of one page at a time
  mTask.ManualLogin = GetParam().manualLogin;
  ScriptedPage& start = Page("http://s.com/");  // never loads, no links: the redirect wait
  start.LoadSeconds = -1;
  start.RedirectTo = "http://s.com/home";
  start.RedirectSeconds = 80;
  Page("http://s.com/home", {"http://s.com/a", "http://s.com/b"}).LoadSeconds = 20;
  Page("http://s.com/a").LoadSeconds = -1;
  Page("http://s.com/b").LoadSeconds = -1;
  StopAt(GetParam().stopAt);
  mCrawler.RunCrawl();

  ASSERT_FALSE(mPrompts.Messages.empty());
  EXPECT_EQ(mPrompts.Messages.back(), "Vexilo task is cancelled!");
  EXPECT_EQ(mStatus.History(2).back(), "Vexilo task is cancelled!");
  EXPECT_EQ(mBrowser.Stops(), 1);
  EXPECT_EQ(mRun.Phase(), RunPhase::Stopped);  // the cancel leaves the stop standing
  EXPECT_EQ(mBrowser.Mode(), BrowserMode::Crawl);
  if (GetParam().manualLogin == 1) {
    EXPECT_EQ(mHooks.GridVisibility.back(), true);
  }
  CrawlState saved = SavedState();
  EXPECT_EQ(saved.CrawlLevel, GetParam().level);
  EXPECT_EQ(saved.CrawlIndex, GetParam().index);
}
// Start page: page wait until 59 s, redirect at 80 s, loaded at 100 s, then the logon minute
// or level 2 with 10 s for each page.
INSTANTIATE_TEST_SUITE_P(Waits, StopTest,
                         testing::Values(StopCase{"FirstPageWait", 10, 0, 1, 1},
                                         StopCase{"RedirectWait", 70, 0, 1, 1},
                                         StopCase{"RedirectLoadWait", 90, 0, 1, 1},
                                         StopCase{"LogonMinute", 130, 1, 1, 1},
                                         StopCase{"LaterPageWait", 105, 0, 2, 1},
                                         StopCase{"SecondPageOfALevel", 115, 0, 2, 2}));

TEST_F(CrawlerTest, EveryCrawlStartGivesTheBrowserTheOptionsAsTheyAreThen) {
  Page("http://s.com/", {"http://s.com/a"});
  Page("http://s.com/a");
  mTask.LinkLevels = 1;
  mOptions.BrowserPictures = true;
  mOptions.RunPageScripts = true;
  mCrawler.RunCrawl();
  EXPECT_TRUE(mBrowser.BrowserPictures);
  EXPECT_TRUE(mBrowser.CrawlScripts);
  EXPECT_EQ(mBrowser.Settles, 2);

  mOptions = AdvancedSettings{};
  mCrawler.RunCrawl();
  EXPECT_FALSE(mBrowser.BrowserPictures);
  EXPECT_FALSE(mBrowser.CrawlScripts);
  EXPECT_EQ(mBrowser.Settles, 2);
}

TEST_F(CrawlerTest, StopWhileThePageIsScrolledCancelsBeforeItIsRead) {
  Page("http://s.com/", {"http://s.com/a"}).Document->Images = {{"http://s.com/p.jpg", 1, 1}};
  mOptions.RunPageScripts = true;
  mBrowser.OnSettle = [this](const std::function<bool()>& stopRequested) {
    mRun.StopPressed();
    EXPECT_TRUE(stopRequested());
  };
  mCrawler.RunCrawl();
  EXPECT_EQ(mPrompts.Messages, (Strings{"Vexilo task is cancelled!"}));
  EXPECT_TRUE(mState.Queue.empty());
  EXPECT_TRUE(mState.TempUrls.empty());
  EXPECT_EQ(mRun.Phase(), RunPhase::Stopped);
  EXPECT_EQ(SavedState().CrawlIndex, 1);
}

TEST_F(CrawlerTest, StopWhileAPageIsAnalysedIsSeenInTheNextPagesWait) {
  mBrowser.Pages["http://s.com/"].Document = PageDocument{
      {"http://s.com/a"}, {{"http://s.com/1.jpg", 1, 1}, {"http://s.com/2.jpg", 1, 1}}};
  Page("http://s.com/a");
  mHooks.OnRow = [&](const PictureEntry&) { mRun.StopPressed(); };
  mCrawler.RunCrawl();
  EXPECT_EQ(test::QueuedUrls(mState), (Strings{"http://s.com/1.jpg"}));
  EXPECT_EQ(SavedState().CrawlLevel, 2);
  EXPECT_EQ(SavedState().CrawlIndex, 1);
  EXPECT_EQ(SavedState().WantUrls, (Strings{"http://s.com/a"}));
}

TEST_F(CrawlerTest, RealSizeProbeWaitsThroughTheEventPumpAndEndsOnStop) {
  mBrowser.Pages["http://s.com/"].Document = PageDocument{
      {"http://s.com/a"}, {{"http://s.com/1.jpg", 1, 1}, {"http://s.com/2.jpg", 1, 1}}};
  Page("http://s.com/a");
  mTask.MinWidth = 100;
  AdvancedSettings options;
  options.RealSizeFilter = true;
  test::ScriptedSizeProbe probe;
  probe.Waits = INT_MAX;
  Crawler crawler{mProgram.Path(), mTask,    mState,  mRows,  mRun,    mBrowser,
                  mPump,           mPrompts, mStatus, mHooks, options, &probe};
  StopAt(5);
  crawler.RunCrawl();
  EXPECT_EQ(probe.Calls, (std::vector<Strings>{{"http://s.com/1.jpg", "http://s.com/2.jpg"}}));
  EXPECT_GE(mPump.Elapsed(), 5);
  EXPECT_TRUE(test::QueuedUrls(mState).empty());
  EXPECT_EQ(SavedState().CrawlLevel, 2);  // cancelled in the next page's wait
}

class ResumeTest : public CrawlerTest {
 protected:
  void SaveEarlierCrawl(CrawlState state, std::vector<PictureEntry> rows = {}) {
    TaskStateFiles(mProgram.Path()).SaveCrawlState("t", rows, state);
    mRun.ResumeRequested = true;
  }
};

TEST_F(ResumeTest, GoesOnAtTheSavedLevelAndPage) {
  CrawlState earlier;
  earlier.WantUrls = {"http://s.com/a", "http://s.com/b", "http://s.com/c"};
  earlier.VisitedUrls = {"http://s.com/", "http://s.com/a", "http://s.com/b", "http://s.com/c"};
  earlier.TempUrls = {"http://s.com/x"};
  earlier.CrawlLevel = 2;
  earlier.CrawlIndex = 3;
  SaveEarlierCrawl(earlier, {{"p.jpg", "http://s.com/p.jpg", "1", "1"}});
  Page("http://s.com/c", {"http://s.com/x", "http://s.com/y"});
  Page("http://s.com/x");
  Page("http://s.com/y");
  mCrawler.RunCrawl();
  EXPECT_EQ(mBrowser.VisitedAddresses(),
            (Strings{"http://s.com/c", "http://s.com/x", "http://s.com/y"}));
  EXPECT_EQ(mRows.size(), 1u);
  EXPECT_EQ(mHooks.ListResets, 2);
  EXPECT_TRUE(mRun.CrawlIdle());
}

TEST_F(ResumeTest, AtALaterLevelSkipsTheLogon) {
  mTask.ManualLogin = 1;
  CrawlState earlier;
  earlier.WantUrls = {"http://s.com/a"};
  earlier.CrawlLevel = 2;
  SaveEarlierCrawl(earlier);
  Page("http://s.com/a");
  mCrawler.RunCrawl();
  EXPECT_EQ(mBrowser.Visits().at(0).Mode, BrowserMode::Crawl);
  EXPECT_TRUE(mHooks.GridVisibility.empty());
  EXPECT_TRUE(mPrompts.Messages.empty());
}

TEST_F(CrawlerTest, AFailedCrawlLeavesLogonMode) {
  mTask.ManualLogin = 1;
  Page("http://s.com/", {"http://s.com/a"});
  mPrompts.OnMessage = [] { throw std::runtime_error("the page went away"); };
  mCrawler.RunCrawl();
  EXPECT_EQ(mBrowser.Mode(), BrowserMode::Crawl);
  EXPECT_EQ(mHooks.GridVisibility, (std::vector<bool>{false, true}));
  EXPECT_FALSE(mRun.CrawlIdle());
}

TEST_F(ResumeTest, GivesEveryQueuedPictureASavePath) {
  CrawlState earlier;
  earlier.CrawlLevel = 9;
  SaveEarlierCrawl(earlier);
  const std::filesystem::path state = mProgram / "task" / "t";
  WriteLines(state / "pictureurl.dat",
             {"http://s.com/1/a.jpg", "http://s.com/2/a.jpg", "http://s.com/b.jpg"});
  WriteLines(state / "savedname.dat", {(mProgram / "pictures/t/a.jpg").string()});
  mCrawler.RunCrawl();
  std::string folder = (mProgram / "pictures/t").string();
  EXPECT_EQ(test::QueuedSavePaths(mState),
            (Strings{folder + "/a.jpg", folder + "/(1)a.jpg", folder + "/b.jpg"}));
  EXPECT_TRUE(mBrowser.Visits().empty());

  WriteLines(state / "savedname.dat", {"/x/1", "/x/2", "/x/3", "/x/4"});
  mCrawler.RunCrawl();
  EXPECT_EQ(test::QueuedSavePaths(mState), (Strings{"/x/1", "/x/2", "/x/3"}));

  std::filesystem::remove(state / "savedname.dat");
  mCrawler.RunCrawl();
  EXPECT_EQ(test::QueuedSavePaths(mState),
            (Strings{folder + "/a.jpg", folder + "/(1)a.jpg", folder + "/b.jpg"}));

  // The files downloaded before are the task's own: no copies of them.
  test::WriteFileBytes(folder + "/a.jpg", "a");
  test::WriteFileBytes(folder + "/b.jpg", "b");
  std::filesystem::remove(state / "savedname.dat");
  mCrawler.RunCrawl();
  EXPECT_EQ(test::QueuedSavePaths(mState),
            (Strings{folder + "/a.jpg", folder + "/(1)a.jpg", folder + "/b.jpg"}));
}

TEST_F(ResumeTest, PastTheLastLevelVisitsNothingAndSavesTheStateBack) {
  CrawlState earlier;
  earlier.WantUrls = {"http://s.com/a"};
  earlier.VisitedUrls = {"http://s.com/", "http://s.com/a"};
  earlier.CrawlLevel = 5;
  SaveEarlierCrawl(earlier);
  mCrawler.RunCrawl();
  EXPECT_TRUE(mBrowser.Visits().empty());
  EXPECT_TRUE(mRun.CrawlIdle());
  EXPECT_EQ(SavedState(), earlier);
}

TEST_F(ResumeTest, AStateThatCannotBeReadIsLeftAsItIs) {
  CrawlState earlier;
  earlier.WantUrls = {"http://s.com/a"};
  SaveEarlierCrawl(earlier);
  std::filesystem::path wantFile = mProgram / "task/t/wanturls.dat";
  std::filesystem::permissions(wantFile, std::filesystem::perms::none);
  if (std::ifstream(wantFile).good()) GTEST_SKIP() << "running with rights to read anything";
  mCrawler.RunCrawl();
  std::filesystem::permissions(wantFile, std::filesystem::perms::owner_all);
  EXPECT_EQ(SavedState(), earlier);
  EXPECT_TRUE(mBrowser.Visits().empty());
}

TEST_F(CrawlerTest, AFailureEndsTheCrawlSilentlyWithTheStateSavedAndItsReasonShown) {
  // Before the crawl has started it changes nothing but the progress panel.
  const std::string folder = mTask.TaskFolder;
  mTask.TaskFolder = "";
  mCrawler.RunCrawl();
  EXPECT_EQ(mStatus.Text(kProgressPanel), "The task has no folder for its pictures.");
  EXPECT_EQ(mRun.Phase(), RunPhase::Stopped);
  EXPECT_FALSE(std::filesystem::exists(mProgram / "task/t"));

  mTask.TaskFolder = folder;
  mHooks.OnStartDownloads = [] { throw ConversionError("x"); };
  mCrawler.RunCrawl();
  EXPECT_TRUE(mBrowser.Visits().empty());
  EXPECT_TRUE(mPrompts.Messages.empty());
  EXPECT_EQ(mStatus.Text(kProgressPanel), "'x' is not a valid integer value");
  EXPECT_FALSE(mRun.CrawlIdle());
  EXPECT_EQ(SavedState().WantUrls, (Strings{"http://s.com/"}));
}

TEST_F(CrawlerTest, AStateThatCannotBeSavedIsToldOncePerCrawl) {
  std::filesystem::create_directories(mProgram / "task");
  std::ofstream(mProgram / "task/t") << "a file where the state folder belongs";
  test::RecordingPrompts prompts;
  Crawler crawler{mProgram.Path(), mTask, mState,  mRows,   mRun,
                  mBrowser,        mPump, prompts, mStatus, mHooks};
  Page("http://s.com/");
  crawler.RunCrawl();
  ASSERT_EQ(prompts.Errors.size(), 1u);
  EXPECT_TRUE(prompts.Errors[0].starts_with(kSaveFailedText)) << prompts.Errors[0];
  EXPECT_TRUE(mRun.CrawlIdle());

  crawler.RunCrawl();  // a new crawl tells again
  EXPECT_EQ(prompts.Errors.size(), 2u);
}

TEST_F(CrawlerTest, EmptyLevelsPassAtOnceHoweverManyThereAre) {
  mTask.LinkLevels = INT_MAX;
  Page("http://s.com/");
  mCrawler.RunCrawl();
  EXPECT_EQ(mState.CrawlLevel, INT_MAX);
  EXPECT_TRUE(mRun.CrawlIdle());
}

// Levels past the first loaded several pages at once.
class ParallelCrawlTest : public CrawlerTest {
 protected:
  static std::string At(const std::string& path) { return "http://s.com/" + path; }

  // A level of six pages that load at different speeds, whose pictures share names, so that
  // what the crawl keeps depends on the order they are read in; then a level of seven.
  void MakeSite() {
    Page(At(""), {At("a"), At("b"), At("c"), At("d"), At("e"), At("f")});
    const double loads[] = {3, 0.5, 2, 0.2, 1, 0.4};
    for (int k = 0; k < 6; ++k) {
      const std::string name(1, static_cast<char>('a' + k));
      ScriptedPage& page = Page(At(name), {At("x" + name), At("y")});
      page.LoadSeconds = loads[k];
      page.Document->Images = {{At(name + "/p.jpg"), 1, 1}, {At("q.jpg"), 1, 1}};
      Page(At("x" + name)).Document->Images = {{At("x" + name + "/p.jpg"), 1, 1}};
    }
    Page(At("y"));
  }
  std::map<std::string, std::string> StateFiles() const {
    return test::StateFileBytes(mProgram / "task/t");
  }
  // Requests Stop once, when the clock reaches the time.
  void StopOnceAt(double seconds) {
    mPump.OnPump([this, seconds, done = false]() mutable {
      if (done || mPump.Elapsed() < seconds) return;
      done = true;
      mRun.StopPressed();
    });
  }
  // The document reads from the first of `first` on, less those of the starting page.
  std::vector<test::Navigation> LevelReads(const std::string& first) const {
    std::vector<test::Navigation> reads;
    for (const test::Navigation& read : mBrowser.Reads()) {
      if (read.Address != At("")) reads.push_back(read);
    }
    while (!reads.empty() && reads.front().Address != first) reads.erase(reads.begin());
    return reads;
  }
};

TEST_F(ParallelCrawlTest, GivesExactlyWhatTheOnePageCrawlGives) {
  MakeSite();
  mOptions.PagesAtOnce = 1;
  mCrawler.RunCrawl();
  const std::map<std::string, std::string> onePage = StateFiles();
  const std::vector<PictureEntry> onePageRows = mHooks.Rows;
  const Strings onePageStatus = mStatus.History(2);
  EXPECT_EQ(mBrowser.MostOpenPages(), 0);
  ASSERT_EQ(mState.Queue.size(), 13u);  // q.jpg once, and p.jpg under twelve names

  mHooks.Rows.clear();
  mOptions.PagesAtOnce = 4;
  const double start = mPump.Elapsed();
  const std::size_t firstVisit = mBrowser.Visits().size();
  mCrawler.RunCrawl();
  EXPECT_EQ(StateFiles(), onePage);
  EXPECT_EQ(mHooks.Rows, onePageRows);
  EXPECT_EQ(Strings(mStatus.History(2).begin() + static_cast<long>(onePageStatus.size()),
                    mStatus.History(2).end()),
            onePageStatus);
  // The first four of level 2 load together, each in a page of its own; the slowest (3 s)
  // sets the pace instead of the sum of all six (7.1 s).
  const std::vector<test::Navigation>& visits = mBrowser.Visits();
  for (int k = 0; k < 4; ++k) {
    const test::Navigation& visit = visits.at(firstVisit + 1 + static_cast<std::size_t>(k));
    EXPECT_EQ(visit.Page, k);
    EXPECT_NEAR(visit.At, visits.at(firstVisit + 1).At, 0.001);
  }
  EXPECT_NEAR(mPump.Elapsed() - start, 4, 0.2);
  EXPECT_EQ(mBrowser.MostOpenPages(), 3);
  EXPECT_EQ(mBrowser.OpenPages(), 0) << "the extra pages go with their level";
  EXPECT_TRUE(mRun.CrawlIdle());
}

struct SlowCase {
  const char* name;
  double slowLoad;   // of the first page of level 2; < 0: never loads
  double slowRead;   // when it and the three after it are read
  double fifthRead;  // when the fifth page, loaded in its slot after it, is read
};
void PrintTo(const SlowCase& c, std::ostream* os) { *os << c.name; }

class SlowPageTest : public ParallelCrawlTest, public testing::WithParamInterface<SlowCase> {};
TEST_P(SlowPageTest, HoldsBackNothingButItsOwnTurn) {
  mTask.LinkLevels = 1;
  Page(At(""), {At("a"), At("b"), At("c"), At("d"), At("e")});
  Page(At("a")).LoadSeconds = GetParam().slowLoad;
  for (const char* name : {"b", "c", "d", "e"}) Page(At(name)).LoadSeconds = 1;
  mCrawler.RunCrawl();

  const std::vector<test::Navigation> reads = LevelReads(At("a"));
  ASSERT_EQ(reads.size(), 5u);
  const double levelStart = mBrowser.Visits().at(1).At;
  const Strings order = {At("a"), At("b"), At("c"), At("d"), At("e")};
  for (std::size_t k = 0; k < 5; ++k) {
    EXPECT_EQ(reads[k].Address, order[k]);
    EXPECT_NEAR(reads[k].At - levelStart, k < 4 ? GetParam().slowRead : GetParam().fifthRead, 0.1)
        << order[k];
  }
  EXPECT_TRUE(mRun.CrawlIdle());
}
INSTANTIATE_TEST_SUITE_P(Pages, SlowPageTest,
                         testing::Values(SlowCase{"Slow", 8, 8, 9},
                                         SlowCase{"NeverLoads", -1, 10, 11}));

TEST_F(ParallelCrawlTest, StopWithPagesInFlightThenResumeEndsAsAnUninterruptedCrawl) {
  MakeSite();
  mCrawler.RunCrawl();
  const std::map<std::string, std::string> uninterrupted = StateFiles();

  // Level 2 starts at once: a to d read at 3 s, e and f loading from then on.
  StopOnceAt(mPump.Elapsed() + 3.5);
  const int stops = mBrowser.Stops();
  mCrawler.RunCrawl();
  EXPECT_EQ(mPrompts.Messages, (Strings{"Vexilo task is cancelled!"}));
  EXPECT_EQ(mBrowser.Stops() - stops, 4) << "every page stops at once";
  EXPECT_EQ(mBrowser.OpenPages(), 0);
  EXPECT_EQ(SavedState().CrawlLevel, 2);
  EXPECT_EQ(SavedState().CrawlIndex, 5) << "the first page not yet read";
  EXPECT_NE(StateFiles(), uninterrupted);

  mRun.ResumeRequested = true;
  mCrawler.RunCrawl();
  EXPECT_EQ(StateFiles(), uninterrupted);
  EXPECT_TRUE(mRun.CrawlIdle());
}

struct OneAtATimeCase {
  const char* name;
  bool mayOpenPages;
  int pagesAtOnce;
};
void PrintTo(const OneAtATimeCase& c, std::ostream* os) { *os << c.name; }

class OneAtATimeTest : public ParallelCrawlTest,
                       public testing::WithParamInterface<OneAtATimeCase> {};
TEST_P(OneAtATimeTest, LoadsTheNextPageOnlyAfterTheLastWasRead) {
  mBrowser.MayOpenPages = GetParam().mayOpenPages;
  mOptions.PagesAtOnce = GetParam().pagesAtOnce;
  mTask.LinkLevels = 1;
  Page(At(""), {At("a"), At("b")});
  Page(At("a")).LoadSeconds = 2;
  Page(At("b")).LoadSeconds = 2;
  mCrawler.RunCrawl();
  ASSERT_EQ(mBrowser.Visits().size(), 3u);
  EXPECT_NEAR(mBrowser.Visits()[2].At - mBrowser.Visits()[1].At, 2, 0.05);
  EXPECT_TRUE(mRun.CrawlIdle());
}
INSTANTIATE_TEST_SUITE_P(Cases, OneAtATimeTest,
                         testing::Values(OneAtATimeCase{"BrowserWithOnePage", false, 4},
                                         OneAtATimeCase{"NoPagesAtOnce", true, 0},
                                         OneAtATimeCase{"FewerThanNone", true, -3}));

}  // namespace
}  // namespace vexilo

namespace vexilo {
namespace {

// What robots.txt forbids, as a list; every answer costs the crawl one wait.
class ListedRobots : public RobotsCheck {
 public:
  explicit ListedRobots(Strings forbidden) : mForbidden(std::move(forbidden)) {}
  bool Allows(const std::string& address, const KeepWaiting& keepWaiting) override {
    if (keepWaiting && !keepWaiting()) return false;
    return std::find(mForbidden.begin(), mForbidden.end(), address) == mForbidden.end();
  }
  void Forget() override { ++Forgotten; }
  int Forgotten = 0;

 private:
  Strings mForbidden;
};

class PumpClock : public Clock {
 public:
  explicit PumpClock(test::FakeEventPump& pump) : mPump(pump) {}
  TimePoint Now() const override { return mPump.Now(); }

 private:
  test::FakeEventPump& mPump;
};

TEST_F(CrawlerTest, PoliteCrawlLeavesOutWhatRobotsForbidsAndPacesEachHostsPages) {
  Page("http://s.com/", {"http://s.com/a", "http://s.com/b", "http://t.com/c", "http://s.com/d"});
  Page("http://s.com/a").Document->Images = {{"http://s.com/p.jpg", 1, 1},
                                             {"http://s.com/no.jpg", 1, 1}};
  Page("http://s.com/b").Document->Images = {{"http://s.com/b.jpg", 1, 1}};
  Page("http://t.com/c");
  Page("http://s.com/d");
  mTask.LinkLevels = 1;
  mOptions.CrawlPolitely = true;
  ListedRobots robots({"http://s.com/b", "http://s.com/no.jpg"});
  PumpClock clock(mPump);
  HostPacing pacing(clock, [] { return 0.0; });
  mCrawler.SetPoliteness(&robots, &pacing);

  mCrawler.RunCrawl();

  EXPECT_EQ(robots.Forgotten, 1);
  EXPECT_EQ(mBrowser.VisitedAddresses(),
            (Strings{"http://s.com/", "http://s.com/a", "http://t.com/c", "http://s.com/d"}));
  EXPECT_EQ(test::QueuedUrls(mState), (Strings{"http://s.com/p.jpg"}));
  EXPECT_EQ(mRows.size(), 1u);
  // Loaded four at once, yet s.com's pages went half a second apart; t.com's did not wait.
  std::map<std::string, double> at;
  for (const test::Navigation& visit : mBrowser.Visits()) at.try_emplace(visit.Address, visit.At);
  EXPECT_GE(at["http://s.com/a"] - at["http://s.com/"], 0.5);
  EXPECT_GE(at["http://s.com/d"] - at["http://s.com/a"], 0.5);
  EXPECT_LT(at["http://t.com/c"] - at["http://s.com/a"], 0.5);
}

}  // namespace
}  // namespace vexilo
