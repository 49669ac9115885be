#include "downloader/DownloadScheduler.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "core/Errors.h"
#include "core/SaveFailureNotice.h"
#include "core/TextRules.h"
#include "downloader/PictureRequest.h"

namespace vexilo {
namespace {

std::int32_t MaxWorkersFrom(const std::string& downloadThread) {
  const std::optional<std::int32_t> number = ParseWholeNumber(downloadThread);
  if (!number) return DownloadScheduler::kDefaultMaxWorkers;
  return std::clamp<std::int32_t>(*number, 1, DownloadScheduler::kMostMaxWorkers);
}

// TaskRecord.TaskFolder as the crawl saves into it (untrimmed, as the crawl takes it),
// normalised, no trailing "/".
std::filesystem::path PictureFolderOf(const std::string& taskFolder) {
  std::filesystem::path folder = std::filesystem::path(taskFolder).lexically_normal();
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
                                     DownloadTimer& timer, PictureHooks pictures,
                                     TransferLimits limits, DiskFloor diskFloor)
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
  } catch (const FileError& error) {
    // Only the state files raise it; the pictures handed out so far stay counted.
    TellSaveFailureOnce(mFlags, mPrompts, error.what());
  } catch (...) {
    // The pictures handed out so far stay counted; the next tick goes on from there.
  }
}

void DownloadScheduler::Shutdown() {
  if (mShutDown) return;
  mShutDown = true;
  mMainThread.Close();
  // A transfer still running now is cut off; one that ends on its own in the meantime is
  // merely fetched once more.
  std::map<std::string, std::vector<QueuedPicture>> cutOff;  // by task folder name
  for (const RunningDownload& running : mWorkers) {
    if (!running.Worker->Finished()) cutOff[running.FolderName].push_back(running.Picture);
  }
  mAbort.store(true);
  for (const RunningDownload& running : mWorkers) running.Worker->Join();
  mWorkers.clear();
  mHandles.Clear();
  for (const auto& [folderName, pictures] : cutOff) {
    try {
      if (folderName == mTask.FolderName) {
        // The crawl, if it still runs, saves CutOff again as it ends.
        mCrawl.CutOff.insert(mCrawl.CutOff.begin(), pictures.begin(), pictures.end());
        mStateFiles.SaveCutOff(folderName, mCrawl);
      } else {
        mStateFiles.PrependCutOff(folderName, pictures);
      }
    } catch (...) {
      // Shut-down goes on; the truncated files stay until the task is restarted.
    }
  }
}

void DownloadScheduler::ScheduleDownloads() {
  ReapFinishedWorkers();
  const auto queued = static_cast<std::int64_t>(mCrawl.Queue.size());
  const std::int64_t pending = (mCrawl.DispatchedCount < 0 ? 0 : queued - mCrawl.DispatchedCount) +
                               static_cast<std::int64_t>(mCrawl.CutOff.size());
  if (mFlags.CrawlIdle && pending + ActiveWorkers() < 1) {
    mDownloadsComplete = true;
    mHandles.Clear();  // no reason to keep connections open to the servers
    mPrompts.ShowMessage(kCompletedText);
    mStatus.SetStatusText(kProgressPanel, kCompletedText);
    return;
  }
  if (pending < 1) return;
  std::int64_t freeSlots = mMaxWorkers - ActiveWorkers();
  if (freeSlots < 1) return;
  const std::filesystem::path taskFolder = PictureFolderOf(mTask.TaskFolder);
  if (DiskTooFull(taskFolder.string())) return;  // pending pictures wait for room
  HandOut(freeSlots, queued, taskFolder);
}

void DownloadScheduler::HandOut(std::int64_t freeSlots, std::int64_t queued,
                                const std::filesystem::path& taskFolder) {
  auto start = [&](const QueuedPicture& picture) {
    if (!LiesDirectlyIn(picture.SavePath, taskFolder)) return;
    mStatus.SetStatusText(kProgressPanel, kDownloadingText + picture.Url);
    StartDownload(picture);
    mActiveWorkers.fetch_add(1);
    --freeSlots;
  };
  bool refetched = false;
  while (freeSlots > 0 && !mCrawl.CutOff.empty()) {
    start(mCrawl.CutOff.front());
    mCrawl.CutOff.erase(mCrawl.CutOff.begin());
    refetched = true;
  }
  // While the crawl runs, its own saving keeps the state files.
  if (refetched && mFlags.CrawlIdle) mStateFiles.SaveCutOff(mTask.FolderName, mCrawl);
  while (freeSlots > 0 && mCrawl.DispatchedCount < queued) {
    start(mCrawl.Queue[static_cast<std::size_t>(mCrawl.DispatchedCount)]);
    ++mCrawl.DispatchedCount;
    if (mFlags.CrawlIdle) mStateFiles.SaveCounters(mTask.FolderName, mCrawl);
  }
}

void DownloadScheduler::StartDownload(const QueuedPicture& picture) {
  DownloadRequest request =
      PictureRequest(mSettings, mTask.StartUrl, picture.Url, picture.SavePath);
  if (mSession != nullptr && mSettings.Advanced.BrowserSession) {
    request.Cookie = mSession->CookieHeaderFor(picture.Url);
    request.Referer = picture.Page;
    request.UserAgent = mSession->UserAgent();
  }
  WorkerLinks links{mDownloadLock, mActiveWorkers, mAbort, mMainThread, mHandles, mPictures,
                    // A freed slot is filled at once instead of at the next tick.
                    [this] {
                      mMainThread.Post([this] {
                        if (mTimer.Enabled()) Tick();
                      });
                    }};
  mWorkers.push_back(
      {std::make_unique<TDownloadThead>(std::move(request), mLimits, std::move(links)), picture,
       mTask.FolderName});
  try {
    mWorkers.back().Worker->Start();
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
  mStatus.SetStatusText(kProgressPanel, kPausedText + std::to_string(mDiskFloor.Bytes >> 20) +
                                            " MiB free in " + folder + ".");
  return true;
}

void DownloadScheduler::ReapFinishedWorkers() {
  std::erase_if(mWorkers,
                [](const RunningDownload& running) { return running.Worker->Finished(); });
}

}  // namespace vexilo
