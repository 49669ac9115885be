#include "crawler/Crawler.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
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

}  // namespace

Crawler::Crawler(std::filesystem::path programFolder, const TaskRecord& task, CrawlState& state,
                 std::vector<PictureEntry>& pictureRows, RunFlags& flags, PageBrowser& browser,
                 EventPump& pump, UserPrompts& prompts, StatusSink& status, CrawlHooks& hooks,
                 const AdvancedSettings& options, PictureSizeProbe* sizeProbe)
    : mStateFiles(std::move(programFolder)),
      mTask(task),
      mOptions(options),
      mState(state),
      mPictureRows(pictureRows),
      mFlags(flags),
      mBrowser(browser),
      mPump(pump),
      mPrompts(prompts),
      mStatus(status),
      mHooks(hooks),
      mIndexes(state),
      mLinks(task, mIndexes),
      mPictures(task, mIndexes, pictureRows, flags, hooks, options, sizeProbe, [this] {
        mPump.ProcessEvents();
        return !mFlags.StopRequested;
      }) {}

void Crawler::RunCrawl() {
  mMaySave = false;
  mSaved = false;
  mFlags.SaveFailureTold = false;
  try {
    StartCrawl();
    if (VisitLevels()) {
      mFlags.CrawlIdle = true;
      SaveState();
    }
  } catch (...) {
    // A failed crawl ends silently; crawl idle stays false until the user presses Stop.
    if (mMaySave && !mSaved) SaveState();
  }
  // Never leave the grid hidden or the browser fetching pictures, however the crawl ended.
  try {
    LeaveLogonMode();
  } catch (...) {
  }
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

  if (mFlags.ResumeRequested) {
    mStateFiles.LoadCrawlState(mTask.FolderName, mPictureRows, mState);
    mHooks.PictureListReset();
  }
  mIndexes.Rebuild();
  mMaySave = true;
  if (mFlags.ResumeRequested) GiveMissingSavePaths();

  mFlags.StopRequested = false;
  mFlags.CrawlIdle = false;
  mHooks.StartDownloads();

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
  // A missing or short savedname.dat must still give every queued picture a path.
  for (std::size_t i = 0; i < mState.Queue.size(); ++i) {
    if (mState.Queue[i].SavePath.empty()) {
      mIndexes.SetSavePath(i, mPictures.MakeSavePath(mState.Queue[i].Url));
    }
  }
}

bool Crawler::VisitLevels() {
  const std::int64_t lastLevel =
      std::min<std::int64_t>(std::int64_t{mTask.LinkLevels} + 1, INT_MAX);
  bool firstPass = true;
  for (std::int64_t level = mState.CrawlLevel; level <= lastLevel; ++level) {
    mState.CrawlLevel = static_cast<std::int32_t>(level);
    const size_t start = firstPass ? static_cast<size_t>(mState.CrawlIndex) : 1;
    firstPass = false;
    for (size_t i = start; i <= mState.WantUrls.size(); ++i) {
      mState.CrawlIndex = static_cast<std::int32_t>(i);
      const std::string address = mState.WantUrls[i - 1];
      if (!VisitPage(address, level == 1)) return false;
    }
    PromoteLevel();
    mIndexes.ClearTempUrls();
    // Empty levels change nothing but the level number: go straight to the last one.
    if (mState.WantUrls.empty() && level < lastLevel - 1) level = lastLevel - 1;
  }
  return true;
}

bool Crawler::VisitPage(const std::string& address, bool firstLevel) {
  mBrowser.Navigate(kBlankPage);
  mBrowser.Navigate(address);
  mStatus.SetStatusText(kProgressPanel, kSearchingPage + address);
  WaitForPage(firstLevel ? EventPump::Clock::duration(kFirstLevelWait)
                         : std::chrono::seconds(std::max(mTask.IdleSeconds, 0)));
  if (mFlags.StopRequested) return Cancel();

  if (firstLevel) {
    std::optional<PageDocument> document = mBrowser.Document();
    const int linkCount = document ? CountLinks(*document) : 0;
    const std::string loadedAddress = mBrowser.LocationURL();
    if (linkCount < 1) {
      mPump.ProcessEvents();
      mStatus.SetStatusText(kProgressPanel, kSearchingRedirect);
      WaitUntil(kRedirectWait, [&] { return mBrowser.LocationURL() != loadedAddress; });
      WaitForPage(kRedirectWait);
      if (mFlags.StopRequested) return Cancel();
    }
    if (mTask.ManualLogin == 1) {
      mPrompts.ShowMessage(kLogonMessage);
      mStatus.SetStatusText(kProgressPanel, kLogonWaiting);
      WaitUntil(kLogonWait, [] { return false; });
      if (mFlags.StopRequested) return Cancel();
      LeaveLogonMode();
    }
  }

  if (mOptions.RunPageScripts) {
    mBrowser.SettlePage([this] { return mFlags.StopRequested; });
    if (mFlags.StopRequested) return Cancel();
  }
  if (std::optional<PageDocument> document = mBrowser.Document()) {
    mLinks.HarvestLinks(*document);
    mPictures.HarvestPictures(*document, mBrowser.LocationURL());
  }
  return true;
}

bool Crawler::Cancel() {
  mBrowser.Stop();
  mPrompts.ShowMessage(kCancelled);
  mStatus.SetStatusText(kProgressPanel, kCancelled);
  LeaveLogonMode();
  SaveState();
  return false;
}

void Crawler::WaitUntil(EventPump::Clock::duration length, const std::function<bool()>& done) {
  const EventPump::Clock::time_point deadline = mPump.Now() + length;
  while (!done() && !mFlags.StopRequested && mPump.Now() < deadline) mPump.ProcessEvents();
}

void Crawler::WaitForPage(EventPump::Clock::duration length) {
  WaitUntil(length, [this] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });
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
  try {
    mStateFiles.SaveCrawlState(mTask.FolderName, mPictureRows, mState);
  } catch (const std::exception& error) {
    TellSaveFailureOnce(mFlags, mPrompts, error.what());
  }
}

}  // namespace vexilo
