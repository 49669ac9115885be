#include "downloader/DownloadScheduler.h"

#include <algorithm>
#include <filesystem>

#include "core/TextRules.h"

namespace vexilo {
namespace {

std::int32_t MaxWorkersFrom(const std::string& downloadThread) {
  const std::optional<std::int32_t> number = ParseWholeNumber(downloadThread);
  if (!number) return DownloadScheduler::kDefaultMaxWorkers;
  return std::clamp<std::int32_t>(*number, 1, DownloadScheduler::kMostMaxWorkers);
}

// TaskRecord.TaskFolder as the crawl saves into it: trimmed, normalised, no trailing "/".
std::filesystem::path PictureFolderOf(const std::string& taskFolder) {
  std::filesystem::path folder = std::filesystem::path(Trim(taskFolder)).lexically_normal();
  if (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
  return folder;
}

// Anything else (a hand-edited savedname.dat, "..") would write outside the task's folder.
bool LiesDirectlyIn(const std::string& savePath, const std::filesystem::path& folder) {
  if (folder.empty()) return false;
  const std::filesystem::path file = std::filesystem::path(savePath).lexically_normal();
  return file.has_filename() && file.filename() != ".." && file.parent_path() == folder;
}

}  // namespace

DownloadScheduler::DownloadScheduler(CrawlState& crawl, RunFlags& flags,
                                     const AppSettings& settings, const TaskRecord& task,
                                     TaskStateFiles& stateFiles, UserPrompts& prompts,
                                     StatusSink& status, MainThread& mainThread,
                                     DownloadTimer& timer, AppendPicture appendPicture,
                                     TransferLimits limits, DiskFloor diskFloor)
    : mCrawl(crawl),
      mFlags(flags),
      mSettings(settings),
      mTask(task),
      mStateFiles(stateFiles),
      mPrompts(prompts),
      mStatus(status),
      mTimer(timer),
      mAppendPicture(std::move(appendPicture)),
      mLimits(limits),
      mDiskFloor(std::move(diskFloor)),
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
  std::int64_t freeSlots = mMaxWorkers - ActiveWorkers();
  if (freeSlots < 1) return;
  const std::filesystem::path taskFolder = PictureFolderOf(mTask.TaskFolder);
  if (DiskTooFull(taskFolder.string())) return;  // pending pictures wait for room
  while (freeSlots > 0 && mCrawl.DispatchedCount < queued) {
    const auto k = static_cast<std::size_t>(mCrawl.DispatchedCount);
    if (LiesDirectlyIn(mCrawl.SavedNames[k], taskFolder)) {
      mStatus.SetStatusText(2, kDownloadingText + mCrawl.PictureUrls[k]);
      StartDownload(mCrawl.PictureUrls[k], mCrawl.SavedNames[k]);
      mActiveWorkers.fetch_add(1);
      --freeSlots;
    }
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
  WorkerLinks links{mDownloadLock, mActiveWorkers, mAbort, mMainThread, mHandles, mAppendPicture,
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

bool DownloadScheduler::DiskTooFull(const std::string& taskFolder) {
  std::string folder = taskFolder;
  std::optional<std::uint64_t> freeBytes = mDiskFloor.FreeBytes(folder);
  if (!freeBytes) {
    folder = mSettings.DownFolder;
    freeBytes = mDiskFloor.FreeBytes(folder);
  }
  // A disk that cannot be measured is not held against the downloads: a worker that
  // cannot create its file fails on its own.
  if (!freeBytes || *freeBytes >= mDiskFloor.Bytes) return false;
  // Said at every tick, so that the crawler's texts do not hide it for long.
  mStatus.SetStatusText(2, kPausedText + std::to_string(mDiskFloor.Bytes >> 20) +
                               " MiB free in " + folder + ".");
  return true;
}

void DownloadScheduler::ReapFinishedWorkers() {
  std::erase_if(mWorkers,
                [](const std::unique_ptr<TDownloadThead>& worker) { return worker->Finished(); });
}

}  // namespace vexilo
