#include "downloader/DownloadScheduler.h"

#include <algorithm>

#include "core/TextRules.h"

namespace vexilo {
namespace {

std::int32_t MaxWorkersFrom(const std::string& downloadThread) {
  const std::optional<std::int32_t> number = ParseWholeNumber(downloadThread);
  if (!number) return DownloadScheduler::kDefaultMaxWorkers;
  return std::clamp<std::int32_t>(*number, 1, DownloadScheduler::kMostMaxWorkers);
}

}  // namespace

DownloadScheduler::DownloadScheduler(CrawlState& crawl, RunFlags& flags,
                                     const AppSettings& settings, const TaskRecord& task,
                                     TaskStateFiles& stateFiles, UserPrompts& prompts,
                                     StatusSink& status, MainThread& mainThread,
                                     DownloadTimer& timer, PictureHooks pictures,
                                     TransferLimits limits)
    : mCrawl(crawl),
      mFlags(flags),
      mSettings(settings),
      mTask(task),
      mStateFiles(stateFiles),
      mPrompts(prompts),
      mStatus(status),
      mTimer(timer),
      mPictures(std::move(pictures)),
      mLimits(limits),
      mMainThread(mainThread) {}

DownloadScheduler::~DownloadScheduler() { Shutdown(); }

void DownloadScheduler::StartCrawl() {
  if (mShutDown) return;
  mDownloadsComplete = false;
  mMaxWorkers = MaxWorkersFrom(mSettings.DownloadThread);
  mTimer.SetEnabled(true);
}

void DownloadScheduler::Tick() {
  if (mShutDown) return;
  if (mDownloadsComplete || mFlags.StopRequested) {
    mTimer.SetEnabled(false);
    return;
  }
  try {
    ScheduleDownloads();
  } catch (...) {
    // The pictures handed out so far stay counted; the next tick goes on from there.
  }
}

void DownloadScheduler::Shutdown() {
  if (mShutDown) return;
  mShutDown = true;
  mMainThread.Close();
  mAbort.store(true);
  for (const std::unique_ptr<TDownloadThead>& worker : mWorkers) worker->Join();
  mWorkers.clear();
  mHandles.Clear();
}

void DownloadScheduler::ScheduleDownloads() {
  ReapFinishedWorkers();
  const std::int64_t queued =
      static_cast<std::int64_t>(std::min(mCrawl.PictureUrls.size(), mCrawl.SavedNames.size()));
  const std::int64_t pending = mCrawl.DispatchedCount < 0 ? 0 : queued - mCrawl.DispatchedCount;
  if (mFlags.CrawlIdle && pending + ActiveWorkers() < 1) {
    mDownloadsComplete = true;
    mHandles.Clear();  // no reason to keep connections open to the servers
    mPrompts.ShowMessage(kCompletedText);
    mStatus.SetStatusText(2, kCompletedText);
    return;
  }
  if (pending < 1) return;
  const std::int64_t starts = std::min<std::int64_t>(mMaxWorkers - ActiveWorkers(), pending);
  for (std::int64_t i = 0; i < starts; ++i) {
    const auto k = static_cast<std::size_t>(mCrawl.DispatchedCount);
    mStatus.SetStatusText(2, kDownloadingText + mCrawl.PictureUrls[k]);
    StartDownload(mCrawl.PictureUrls[k], mCrawl.SavedNames[k]);
    mActiveWorkers.fetch_add(1);
    ++mCrawl.DispatchedCount;
    // While the crawl runs, its own saving keeps counti.dat.
    if (mFlags.CrawlIdle) mStateFiles.SaveCounters(mTask.FolderName, mCrawl);
  }
}

void DownloadScheduler::StartDownload(const std::string& url, const std::string& savePath) {
  DownloadRequest request{url,
                          savePath,
                          mSettings.AuthName,
                          mSettings.AuthPass,
                          mSettings.ProxyServer,
                          mSettings.ProxyPort};
  WorkerLinks links{mDownloadLock, mActiveWorkers, mAbort, mMainThread, mHandles, mPictures,
                    // A freed slot is filled at once instead of at the next tick.
                    [this] {
                      mMainThread.Post([this] {
                        if (mTimer.Enabled()) Tick();
                      });
                    }};
  mWorkers.push_back(
      std::make_unique<TDownloadThead>(std::move(request), mLimits, std::move(links)));
  try {
    mWorkers.back()->Start();
  } catch (...) {
    mWorkers.pop_back();
    throw;
  }
}

void DownloadScheduler::ReapFinishedWorkers() {
  std::erase_if(mWorkers,
                [](const std::unique_ptr<TDownloadThead>& worker) { return worker->Finished(); });
}

}  // namespace vexilo
