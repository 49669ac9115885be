#include "crawler/Crawler.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <deque>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

#include "core/Errors.h"
#include "core/SaveFailureNotice.h"
#include "crawler/SavePaths.h"

namespace vexilo {
namespace {

using namespace std::chrono_literals;

constexpr auto kFirstLevelWait = 59s;
constexpr auto kRedirectWait = 30s;
constexpr auto kLogonWait = 63s;

constexpr const char* kBlankPage = "about:blank";
constexpr const char* kSearchingPage = "Searching web page ";
constexpr const char* kSearchingRedirect = "Searching for re-direct URL";
constexpr const char* kLogonMessage =
    "Please complete your logon. Vexilo task will continue after one minute.";
constexpr const char* kLogonWaiting = "Please wait one minute for completing logon....";
constexpr const char* kCancelled = "Vexilo task is cancelled!";
constexpr const char* kRobotsForbid = "Left out, robots.txt forbids it: ";

}  // namespace

Crawler::Crawler(std::filesystem::path programFolder, const TaskRecord& task, CrawlState& state,
                 std::vector<PictureEntry>& pictureRows, RunState& run, PageBrowser& browser,
                 EventPump& pump, UserPrompts& prompts, StatusSink& status, CrawlHooks& hooks,
                 const AdvancedSettings& options, PictureSizeProbe* sizeProbe)
    : mStateFiles(std::move(programFolder)),
      mTask(task),
      mOptions(options),
      mState(state),
      mPictureRows(pictureRows),
      mRun(run),
      mBrowser(browser),
      mPump(pump),
      mPrompts(prompts),
      mStatus(status),
      mHooks(hooks),
      mIndexes(state),
      mLinks(task, mIndexes),
      mPictures(task, mIndexes, pictureRows, run, hooks, options, sizeProbe, [this] {
        mPump.ProcessEvents();
        return !mRun.StopRequested();
      }) {}

void Crawler::SetPoliteness(RobotsCheck* robots, HostPacing* pacing) {
  mRobots = robots;
  mPacing = pacing;
  mPictures.SetRobots(robots);
}

void Crawler::RunCrawl(const std::unordered_set<std::string>& knownPictures) {
  mKnownPictures = &knownPictures;
  mMaySave = false;
  mSaved = false;
  mUnsaved = false;
  mProgressSaved.reset();
  mRun.SaveFailureTold = false;
  // A crawl fails on what the world does (files, folders, the page, the network: runtime
  // errors) or on memory; a logic error is ours and goes on to the caller.
  try {
    StartCrawl();
    if (VisitLevels()) {
      mRun.CrawlFinished();
      SaveState();
    }
  } catch (const std::runtime_error& error) {
    EndFailedCrawl(error.what());
  } catch (const std::bad_alloc& error) {
    EndFailedCrawl(error.what());
  }
  // Never leave the grid hidden, the browser fetching pictures or extra pages open, however the
  // crawl ended.
  mExtraPages.clear();
  try {
    LeaveLogonMode();
  } catch (const std::runtime_error&) {
    // The page is gone when the window closes during the crawl.
  }
  mKnownPictures = nullptr;
}

void Crawler::EndFailedCrawl(const std::string& reason) {
  // No message box: the reason stays in the progress panel, and the run counts the crawl as
  // running until the user presses Stop.
  mRun.CrawlFailed();
  mStatus.SetStatusText(kProgressPanel, reason);
  if (mMaySave && !mSaved) SaveState();
}

void Crawler::PromoteLevel() { mIndexes.PromoteTempUrls(); }

int Crawler::CountLinks(const PageDocument& document) {
  return static_cast<int>(std::min<size_t>(document.Links.size(), INT_MAX));
}

void Crawler::StartCrawl() {
  mPictureRows.clear();
  mHooks.PictureListReset();
  mState = CrawlState{};
  mState.WantUrls = {mTask.StartUrl};
  mState.VisitedUrls = {mTask.StartUrl};
  mTaskFolder = TaskFolderOf(mTask.TaskFolder);
  if (mTaskFolder.empty()) throw InputError("The task has no folder for its pictures.");
  mPictures.StartCrawl(mTaskFolder);

  if (mRun.ResumeRequested) {
    mStateFiles.LoadCrawlState(mTask.FolderName, mPictureRows, mState);
    mHooks.PictureListReset();
  }
  // What is queued from here on is handed out once a save has put it on disk.
  mRun.QueueOnDisk = static_cast<std::int32_t>(mState.Queue.size());
  mIndexes.Rebuild();
  mIndexes.AddKnownPictures(*mKnownPictures);
  mMaySave = true;
  if (mRun.ResumeRequested) GiveMissingSavePaths();

  mRun.CrawlStarted();
  mHooks.StartDownloads();

  if (mRobots != nullptr) mRobots->Forget();
  mLinks.StartCrawl(mTask.StartUrl);
  mBrowser.SetBrowserPictures(mOptions.BrowserPictures);
  mBrowser.SetCrawlScripts(mOptions.RunPageScripts);
  std::error_code ec;
  std::filesystem::create_directories(mTaskFolder, ec);
  if (ec) throw FileError("Cannot create folder \"" + mTaskFolder + "\". " + ec.message());

  // The logon minute belongs to the starting page: a crawl resumed at a later level skips it.
  if (mTask.ManualLogin == 1 && mState.CrawlLevel == 1) EnterLogonMode();
}

void Crawler::GiveMissingSavePaths() {
  // A missing or short savedname.dat must still give every queued picture a path, and a
  // picture downloaded before must not be saved again as a copy.
  for (std::size_t i = 0; i < mState.Queue.size(); ++i) {
    if (mState.Queue[i].SavePath.empty()) {
      mIndexes.SetSavePath(i, mPictures.RecoverSavePath(mState.Queue[i].Url));
    }
  }
}

bool Crawler::VisitLevels() {
  const std::int64_t lastLevel =
      std::min<std::int64_t>(std::int64_t{mTask.LinkLevels} + 1, INT_MAX);
  bool firstPass = true;
  for (std::int64_t level = mState.CrawlLevel; level <= lastLevel; ++level) {
    mState.CrawlLevel = static_cast<std::int32_t>(level);
    if (!firstPass) {
      // The level before is whole: a crash from here on resumes at this level's start.
      mState.CrawlIndex = 1;
      SaveProgress();
    }
    const size_t start = firstPass ? static_cast<size_t>(mState.CrawlIndex) : 1;
    firstPass = false;
    const bool visited = level == 1 ? VisitFirstLevel(start) : VisitLevel(start);
    mExtraPages.clear();
    if (!visited) return false;
    PromoteLevel();
    mIndexes.ClearTempUrls();
    // Empty levels change nothing but the level number: go straight to the last one.
    if (mState.WantUrls.empty() && level < lastLevel - 1) level = lastLevel - 1;
  }
  return true;
}

bool Crawler::VisitFirstLevel(size_t start) {
  for (size_t i = start; i <= mState.WantUrls.size(); ++i) {
    mState.CrawlIndex = static_cast<std::int32_t>(i);
    const std::string address = mState.WantUrls[i - 1];
    if (!VisitStartingPage(address)) return false;
  }
  return true;
}

bool Crawler::VisitStartingPage(const std::string& address) {
  if (!RobotsAllow(address)) return mRun.StopRequested() ? Cancel() : true;
  AwaitTurn(address);
  if (mRun.StopRequested()) return Cancel();
  StartLoad(mBrowser, address);
  mStatus.SetStatusText(kProgressPanel, kSearchingPage + address);
  WaitForPage(mBrowser, mPump.Now() + kFirstLevelWait);
  if (mRun.StopRequested()) return Cancel();

  std::optional<PageDocument> document = mBrowser.Document();
  const int linkCount = document ? CountLinks(*document) : 0;
  const std::string loadedAddress = mBrowser.LocationURL();
  if (linkCount < 1) {
    mPump.ProcessEvents();
    mStatus.SetStatusText(kProgressPanel, kSearchingRedirect);
    WaitUntil(mPump.Now() + kRedirectWait, [&] { return mBrowser.LocationURL() != loadedAddress; });
    WaitForPage(mBrowser, mPump.Now() + kRedirectWait);
    if (mRun.StopRequested()) return Cancel();
  }
  if (mTask.ManualLogin == 1) {
    mPrompts.ShowMessage(kLogonMessage);
    mStatus.SetStatusText(kProgressPanel, kLogonWaiting);
    WaitUntil(mPump.Now() + kLogonWait, [] { return false; });
    if (mRun.StopRequested()) return Cancel();
    LeaveLogonMode();
  }
  return Harvest(mBrowser);
}

bool Crawler::VisitLevel(size_t start) {
  const size_t count = mState.WantUrls.size();
  if (start > count) return true;
  // The pages are loaded in turn over the slots, at most one window ahead of the page being
  // read, and read strictly in the level's order.
  OpenExtraPages(std::min<size_t>(PagesAtOnce(), count - start + 1) - 1);
  const size_t slots = mExtraPages.size() + 1;
  const EventPump::Clock::duration pageWait = std::chrono::seconds(std::max(mTask.IdleSeconds, 0));
  // Of the loads from position i on; none for a page robots.txt forbids, which is not loaded.
  std::deque<std::optional<EventPump::Clock::time_point>> deadlines;
  size_t next = start;
  for (size_t i = start; i <= count; ++i) {
    for (; next <= count && next < i + slots; ++next) {
      const std::string& address = mState.WantUrls[next - 1];
      if (!RobotsAllow(address)) {
        if (mRun.StopRequested()) return Cancel();
        deadlines.push_back(std::nullopt);
        continue;
      }
      AwaitTurn(address);
      if (mRun.StopRequested()) return Cancel();
      StartLoad(Slot((next - start) % slots), address);
      deadlines.push_back(mPump.Now() + pageWait);
    }
    mState.CrawlIndex = static_cast<std::int32_t>(i);
    const std::optional<EventPump::Clock::time_point> deadline = deadlines.front();
    deadlines.pop_front();
    if (!deadline) continue;
    mStatus.SetStatusText(kProgressPanel, kSearchingPage + mState.WantUrls[i - 1]);
    PageBrowser& page = Slot((i - start) % slots);
    WaitForPage(page, *deadline);
    if (mRun.StopRequested()) return Cancel();
    if (!Harvest(page)) return false;
  }
  return true;
}

int Crawler::PagesAtOnce() const {
  return std::clamp(mOptions.PagesAtOnce, AdvancedSettings::kFewestPagesAtOnce,
                    AdvancedSettings::kMostPagesAtOnce);
}

void Crawler::OpenExtraPages(size_t count) {
  while (mExtraPages.size() < count) {
    std::unique_ptr<PageBrowser> page = mBrowser.OpenPage();
    if (!page) return;
    mExtraPages.push_back(std::move(page));
  }
}

PageBrowser& Crawler::Slot(size_t slot) { return slot == 0 ? mBrowser : *mExtraPages[slot - 1]; }

void Crawler::StartLoad(PageBrowser& page, const std::string& address) {
  page.Navigate(kBlankPage);
  page.Navigate(address);
}

bool Crawler::RobotsAllow(const std::string& address) {
  if (!Polite() || mRobots == nullptr) return true;
  if (mRobots->Allows(address, [this] {
        mPump.ProcessEvents();
        return !mRun.StopRequested();
      })) {
    return true;
  }
  if (!mRun.StopRequested()) mStatus.SetStatusText(kProgressPanel, kRobotsForbid + address);
  return false;
}

void Crawler::AwaitTurn(const std::string& address) {
  if (!Polite() || mPacing == nullptr) return;
  const std::string host = HostPacing::HostKeyOf(address);
  WaitUntil(mPacing->NextAllowed(host), [] { return false; });
  if (!mRun.StopRequested()) mPacing->Sent(host);
}

bool Crawler::Harvest(PageBrowser& page) {
  const auto stop = [this] { return mRun.StopRequested(); };
  if (mOptions.RunPageScripts) {
    page.SettlePage(stop);
    if (mRun.StopRequested()) return Cancel();
  }
  // The page's address, not that of the view shown last.
  const std::string address = page.LocationURL();
  if (mOptions.RunPageScripts) {
    page.VisitFragmentViews(stop);
    if (mRun.StopRequested()) return Cancel();
  }
  if (std::optional<PageDocument> document = page.Document()) {
    mLinks.HarvestLinks(*document);
    mPictures.HarvestPictures(*document, address);
    mUnsaved = true;
  }
  SaveProgressIfDue();
  return true;
}

bool Crawler::Cancel() {
  mBrowser.Stop();
  for (const std::unique_ptr<PageBrowser>& page : mExtraPages) page->Stop();
  mExtraPages.clear();
  mPrompts.ShowMessage(kCancelled);
  mStatus.SetStatusText(kProgressPanel, kCancelled);
  LeaveLogonMode();
  SaveState();
  return false;
}

void Crawler::WaitUntil(EventPump::Clock::time_point deadline, const std::function<bool()>& done) {
  while (!done() && !mRun.StopRequested() && mPump.Now() < deadline) {
    mPump.ProcessEvents();
    SaveProgressIfDue();
  }
}

void Crawler::WaitForPage(PageBrowser& page, EventPump::Clock::time_point deadline) {
  WaitUntil(deadline, [&page] { return page.ReadyState() == PageBrowser::kReadyStateComplete; });
}

void Crawler::EnterLogonMode() {
  mHooks.SetGridVisible(false);
  mBrowser.SetMode(BrowserMode::Logon);
  mLogonMode = true;
}

void Crawler::LeaveLogonMode() {
  if (!mLogonMode) return;
  mLogonMode = false;
  mHooks.SetGridVisible(true);
  mBrowser.SetMode(BrowserMode::Crawl);
}

void Crawler::SaveState() {
  mSaved = true;
  SaveProgress();
}

void Crawler::SaveProgressIfDue() {
  if (!mUnsaved || !mMaySave) return;
  if (mProgressSaved && mPump.Now() - *mProgressSaved < kProgressSaveInterval) return;
  SaveProgress();
}

void Crawler::SaveProgress() {
  mUnsaved = false;
  mProgressSaved = mPump.Now();  // a failed save is tried again after the interval
  try {
    mStateFiles.SaveCrawlState(mTask.FolderName, mPictureRows, mState);
    mRun.QueueOnDisk = static_cast<std::int32_t>(mState.Queue.size());
  } catch (const std::exception& error) {
    // Downloads go on without the state on disk rather than stop with it.
    mRun.QueueOnDisk = RunState::kNoHandOutLimit;
    TellSaveFailureOnce(mRun, mPrompts, error.what());
  }
}

}  // namespace vexilo
