#include "downloader/DownloadScheduler.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <new>
#include <system_error>

#include "core/Errors.h"
#include "core/SaveFailureNotice.h"
#include "core/TextRules.h"
#include "core/UrlUtils.h"
#include "downloader/FetchOutcome.h"
#include "downloader/PictureRequest.h"
#include "downloader/PictureStatus.h"

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
  // The crawl's own save paths, a normal absolute folder + "/" + a plain name, are normal.
  const std::string& front = folder.native();
  if (front.front() == '/' && front.back() != '/' && savePath.size() > front.size() + 1 &&
      savePath.starts_with(front) && savePath[front.size()] == '/') {
    const std::string_view name = std::string_view(savePath).substr(front.size() + 1);
    if (name.find('/') == std::string_view::npos && name != "." && name != "..") return true;
  }
  const std::filesystem::path file = std::filesystem::path(savePath).lexically_normal();
  return file.has_filename() && file.filename() != ".." && file.parent_path() == folder;
}

// Host name and port: what one server's connection limit is about.
std::string HostKey(const std::string& url) { return LowerAscii(HostOf(url)); }

}  // namespace

DownloadScheduler::DownloadScheduler(SchedulerParts parts)
    : mCrawl(parts.Crawl),
      mRun(parts.Run),
      mSettings(parts.Settings),
      mTask(parts.Task),
      mStateFiles(parts.StateFiles),
      mPrompts(parts.Prompts),
      mStatus(parts.Status),
      mTimer(parts.Timer),
      mPictures(std::move(parts.Pictures)),
      mDiskFloor(std::move(parts.Floor)),
      mRetryPolicy(parts.Retries),
      mClock(parts.Time),
      mCounterSaveInterval(parts.CounterSaveInterval),
      mPool(parts.MakePool(
          {mPictures, [this](std::uint64_t id) { Started(id); },
           [this](std::uint64_t id, const DownloadResult& result) { Reported(id, result); },
           // Freed slots are filled at once instead of at the next tick.
           [this] {
             if (mTimer.Enabled()) Tick();
           }})) {}

DownloadScheduler::~DownloadScheduler() { Shutdown(); }

void DownloadScheduler::StartCrawl() {
  if (mShutDown) return;
  TakeBackOffers();
  DropRetries();
  ++mCrawlNumber;
  mDownloaded = 0;
  mFailed = 0;
  mDownloadsComplete = false;
  mMaxWorkers = MaxWorkersFrom(mSettings.DownloadThread);
  const std::uint64_t cap =
      Polite() ? std::uint64_t(std::max(mSettings.Advanced.DownloadKBps, 0)) * 1024 : 0;
  if (cap > 0) {
    mMaxWorkers = std::clamp<std::int32_t>(
        static_cast<std::int32_t>(std::min<std::uint64_t>(cap / kFewestBytesPerTransfer, 1024)), 1,
        mMaxWorkers);
  }
  mPool->SetMostRunning(mMaxWorkers);
  mPool->SetRateCap(cap);
  mTimer.SetEnabled(true);
}

void DownloadScheduler::Tick() {
  if (mShutDown) return;
  if (mDownloadsComplete || mRun.StopRequested()) {
    SettleHandOuts();  // first: a retry that started is no longer waiting
    DropRetries();
    return;
  }
  try {
    ScheduleDownloads();
    SaveCutOffIfTaken();
    SaveCountersIfDue(false);  // also while nothing is handed out
  } catch (const FileError& error) {
    // Only the state files raise it; the pictures handed out so far stay counted.
    TellSaveFailureOnce(mRun, mPrompts, error.what());
  } catch (const std::system_error&) {
    // The pool's threads could not be made: the next tick offers again.
  } catch (const std::bad_alloc&) {
    // The pictures handed out so far stay counted; the next tick goes on from there.
  }
}

void DownloadScheduler::Shutdown() {
  if (mShutDown) return;
  mShutDown = true;
  // A start not delivered yet is not counted: Resume fetches that picture again.
  mPool->Shutdown();
  mOffers.clear();
  // Every download not reported yet is cut off, even one whose file was complete: it is
  // merely fetched once more.
  std::map<std::string, std::vector<QueuedPicture>> cutOff;  // by task folder name
  for (const auto& [id, running] : mRunning) {
    cutOff[running.Download.FolderName].push_back(running.Download.Picture);
  }
  mRunning.clear();
  mRetries.clear();  // already among the failed downloads
  try {
    SaveCountersIfDue(true);
  } catch (const FileError&) {
    // Resume then hands out again what was handed out since the last save.
  }
  try {
    SaveCutOffIfTaken();
  } catch (const FileError&) {
    // Resume then fetches those cut-off pictures once more.
  }
  for (const auto& [folderName, pictures] : cutOff) {
    try {
      if (folderName == mTask.FolderName) {
        // The crawl, if it still runs, saves CutOff again as it ends.
        mCrawl.CutOff.insert(mCrawl.CutOff.begin(), pictures.begin(), pictures.end());
        mStateFiles.SaveCutOff(folderName, mCrawl);
      } else {
        mStateFiles.PrependCutOff(folderName, pictures);
      }
    } catch (const FileError&) {
      // Shut-down goes on; the truncated files stay until the task is restarted.
    }
  }
}

void DownloadScheduler::ScheduleDownloads() {
  const auto queued = static_cast<std::int64_t>(mCrawl.Queue.size());
  const std::int64_t pending = (mCrawl.DispatchedCount < 0 ? 0 : queued - mCrawl.DispatchedCount) +
                               static_cast<std::int64_t>(mCrawl.CutOff.size()) +
                               static_cast<std::int64_t>(mRetries.size());
  if (mRun.CrawlIdle() && pending + ActiveWorkers() < 1) {
    mDownloadsComplete = true;
    SaveCountersIfDue(true);
    mPool->CloseIdleConnections();  // no reason to keep connections open to the servers
    if (mCompletionBox) mPrompts.ShowMessage(kCompletedText);
    const std::string note = mPictures.CompletedNote ? mPictures.CompletedNote() : "";
    mStatus.SetStatusText(kProgressPanel, note.empty() ? std::string(kCompletedText)
                                                       : std::string(kCompletedText) + " " + note);
    return;
  }
  if (pending < 1) return;
  // Offered beyond the free slots: they start without waiting for this thread.
  const std::int64_t ahead = std::max(mMaxWorkers, kFewestOffersAhead);
  std::int64_t freeSlots = mMaxWorkers + ahead - ActiveWorkers() - OfferedDownloads();
  if (freeSlots < 1) return;
  const std::filesystem::path taskFolder = PictureFolderOf(mTask.TaskFolder);
  if (DiskTooFull(taskFolder.string())) return;  // pending pictures wait for room
  OfferDownloads(freeSlots, queued, taskFolder);
}

void DownloadScheduler::OfferDownloads(std::int64_t freeSlots, std::int64_t queued,
                                       const std::filesystem::path& taskFolder) {
  // False while the picture's host is full: it waits, and with it whatever follows it.
  auto offer = [&](const Handout& handout, Source from) {
    if (!LiesDirectlyIn(handout.Picture.SavePath, taskFolder)) {
      OfferSkip(handout, from);
      return true;
    }
    if (!OfferDownload(handout, from)) return false;
    --freeSlots;
    return true;
  };
  bool hostFull = false;
  while (freeSlots > 0 && mCutOffOffered < mCrawl.CutOff.size()) {
    if (!offer({mCrawl.CutOff[mCutOffOffered], -1, mTask.FolderName, mCrawlNumber, 0},
               Source::CutOff)) {
      hostFull = true;
      break;
    }
    ++mCutOffOffered;
  }
  const Clock::TimePoint now = mClock.Now();
  for (WaitingRetry& retry : mRetries) {
    if (freeSlots < 1) break;
    if (retry.OfferId != 0 || retry.Due > now) continue;
    if (offer(retry.Download, Source::Retry)) retry.OfferId = mNextId;
  }
  if (mCrawl.DispatchedCount < 0) return;  // a count no queue position matches
  mNextQueueOffer = std::max<std::int64_t>(mNextQueueOffer, mCrawl.DispatchedCount);
  // Only what the state files hold is handed out while the crawl runs.
  const std::int64_t offerable = std::min<std::int64_t>(queued, mRun.QueueOnDisk);
  while (!hostFull && freeSlots > 0 && mNextQueueOffer < offerable) {
    const std::int64_t k = mNextQueueOffer;
    if (!offer({mCrawl.Queue[static_cast<std::size_t>(k)], k, mTask.FolderName, mCrawlNumber, 0},
               Source::Queue)) {
      break;
    }
    ++mNextQueueOffer;
  }
  SkipAtFront();
}

bool DownloadScheduler::OfferDownload(Handout handout, Source from) {
  std::string host = HostKey(handout.Picture.Url);
  if (mSettings.Advanced.RetryFailed && HostLoad(host) >= kMostPerHost) return false;
  // Offered only when it starts at once, so that the host's gap holds between the starts.
  if (Polite() &&
      (!mPacing->MaySendNow(host) || ActiveWorkers() + OfferedDownloads() >= mMaxWorkers))
    return false;
  DownloadRequest request = PictureRequest(mSettings, mSession, mTask.StartUrl, handout.Picture.Url,
                                           handout.Picture.Page, handout.Picture.SavePath);
  const std::uint64_t id = ++mNextId;
  mOffers.push_back({id, std::move(handout), from, std::move(host), false});
  try {
    mPool->Offer(id, std::move(request));
  } catch (...) {
    mOffers.pop_back();  // not offered after all
    throw;
  }
  if (Polite()) mPacing->Sent(mOffers.back().Host);
  return true;
}

void DownloadScheduler::OfferSkip(Handout handout, Source from) {
  mOffers.push_back({++mNextId, std::move(handout), from, "", true});
}

void DownloadScheduler::Started(std::uint64_t id) {
  auto offer = std::find_if(mOffers.begin(), mOffers.end(),
                            [id](const Offer& entry) { return entry.Id == id; });
  if (offer == mOffers.end()) return;  // taken back before its start came
  // The pool starts in the order offered: whatever was offered before has started too.
  const Offer started = std::move(*offer);
  mOffers.erase(offer);
  mRunning[id] = {started.Download, started.Host};
  mStatus.SetStatusText(kProgressPanel, kDownloadingText + started.Download.Picture.Url);
  Mark(started.Download, kDownloadingStatus);
  HandedOut(started);
  SkipAtFront();
}

std::int64_t DownloadScheduler::OfferedDownloads() const {
  return std::count_if(mOffers.begin(), mOffers.end(),
                       [](const Offer& offer) { return !offer.Skip; });
}

int DownloadScheduler::HostLoad(const std::string& host) const {
  const auto offered = std::count_if(mOffers.begin(), mOffers.end(), [&](const Offer& offer) {
    return !offer.Skip && offer.Host == host;
  });
  const auto running = std::count_if(mRunning.begin(), mRunning.end(),
                                     [&](const auto& entry) { return entry.second.Host == host; });
  return static_cast<int>(offered + running);
}

std::vector<std::string> DownloadScheduler::SavePathsRunning(const std::string& folderName) const {
  std::vector<std::string> paths;
  for (const auto& [id, running] : mRunning) {
    if (running.Download.FolderName == folderName)
      paths.push_back(running.Download.Picture.SavePath);
  }
  return paths;
}

void DownloadScheduler::SkipAtFront() {
  while (!mOffers.empty() && mOffers.front().Skip) {
    const Offer skipped = std::move(mOffers.front());
    mOffers.pop_front();
    if (skipped.Download.Crawl == mCrawlNumber) ++mFailed;
    Mark(skipped.Download, kFailedStatus + std::string(kNoSavePathReason));
    ShowCounts();
    HandedOut(skipped);
  }
}

void DownloadScheduler::HandedOut(const Offer& offer) {
  switch (offer.From) {
    case Source::CutOff: {
      // The first of the offered entries that lead CutOff, unless something went in before.
      const auto entry =
          std::find(mCrawl.CutOff.begin(), mCrawl.CutOff.end(), offer.Download.Picture);
      if (entry == mCrawl.CutOff.end()) return;
      mCrawl.CutOff.erase(entry);
      if (mCutOffOffered > 0) --mCutOffOffered;
      mCutOffTaken = true;
      return;
    }
    case Source::Retry:
      std::erase_if(mRetries, [&](const WaitingRetry& retry) { return retry.OfferId == offer.Id; });
      return;
    case Source::Queue:
      if (offer.Download.QueuePosition != mCrawl.DispatchedCount) return;
      ++mCrawl.DispatchedCount;
      try {
        CountersHandedOut();
      } catch (const FileError& error) {
        TellSaveFailureOnce(mRun, mPrompts, error.what());
      }
      return;
  }
}

void DownloadScheduler::TakeBackOffers() {
  for (std::uint64_t id : mPool->Withdraw()) Started(id);
  for (WaitingRetry& retry : mRetries) retry.OfferId = 0;
  mOffers.clear();
  mCutOffOffered = 0;
  mNextQueueOffer = mCrawl.DispatchedCount;
}

void DownloadScheduler::CountersHandedOut() {
  // While the crawl runs, its own saving keeps the state files.
  if (!mRun.CrawlIdle()) return;
  mCountersUnsaved = true;
  SaveCountersIfDue(false);
}

void DownloadScheduler::SaveCountersIfDue(bool now) {
  if (!mCountersUnsaved) return;
  const Clock::TimePoint time = mClock.Now();
  if (!now && mCountersSaved && time - *mCountersSaved < mCounterSaveInterval) return;
  mCountersSaved = time;  // a failed write is tried again after the interval, not at once
  mStateFiles.SaveCounters(mTask.FolderName, mCrawl);
  mCountersUnsaved = false;
}

void DownloadScheduler::SaveCutOffIfTaken() {
  // While the crawl runs, its own saving keeps the state files.
  if (!mCutOffTaken || !mRun.CrawlIdle()) return;
  mCutOffTaken = false;  // a failed write is tried again at the next save of the crawl state
  mStateFiles.SaveCutOff(mTask.FolderName, mCrawl);
}

void DownloadScheduler::SettleHandOuts() {
  TakeBackOffers();
  // Nothing more until StartCrawl: the state in memory may be another task's by then.
  mTimer.SetEnabled(false);
  try {
    SaveCutOffIfTaken();
    SaveCountersIfDue(true);
  } catch (const FileError& error) {
    TellSaveFailureOnce(mRun, mPrompts, error.what());
  }
}

void DownloadScheduler::Reported(std::uint64_t id, const DownloadResult& result) {
  const auto found = mRunning.find(id);
  if (found == mRunning.end()) return;
  const RunningDownload running = std::move(found->second);
  mRunning.erase(found);
  if (Polite() && AsksForPause(result.Fetch)) mPacing->Pause(running.Host, result.Fetch.RetryAfter);
  DownloadEnded(running.Download, result);
}

void DownloadScheduler::DownloadEnded(const Handout& handout, const DownloadResult& result) {
  const bool thisCrawl = handout.Crawl == mCrawlNumber;
  try {
    if (handout.Retries > 0 && thisCrawl) ForgetFailure(handout);
    if (result.Fetch.Ok) {
      if (thisCrawl) ++mDownloaded;
      Mark(handout, result.RemovedBecause.empty() ? kDoneStatus : result.RemovedBecause);
      if (!result.RemovedBecause.empty()) KeepRemoved(handout, result.RemovedBecause);
      if (!result.ReplacedPath.empty()) KeepReplaced(handout, result.ReplacedPath);
    } else if (MayRetry(handout, result.Fetch)) {
      const std::chrono::milliseconds wait =
          *RetryWait(mRetryPolicy, handout.Retries + 1, result.Fetch.RetryAfter);
      Handout again = handout;
      ++again.Retries;
      mRetries.push_back({again, result.Fetch.Reason, mClock.Now() + wait});
      Mark(handout, kRetryingStatus);
      KeepFailure(handout, result.Fetch.Reason);
    } else {
      if (thisCrawl) ++mFailed;
      Mark(handout, kFailedStatus + result.Fetch.Reason);
      KeepFailure(handout, result.Fetch.Reason);
    }
  } catch (const FileError& error) {
    TellSaveFailureOnce(mRun, mPrompts, error.what());
  }
  if (thisCrawl) ShowCounts();
}

bool DownloadScheduler::MayRetry(const Handout& handout, const FetchOutcome& fetch) const {
  return mSettings.Advanced.RetryFailed && fetch.Transient && handout.Crawl == mCrawlNumber &&
         !mRun.StopRequested() && !mShutDown &&
         RetryWait(mRetryPolicy, handout.Retries + 1, fetch.RetryAfter).has_value();
}

void DownloadScheduler::KeepFailure(const Handout& handout, const std::string& reason) {
  FailedPicture failed{handout.Picture.Url, handout.Picture.SavePath, reason};
  if (handout.FolderName != mTask.FolderName) {
    mStateFiles.AppendFailed(handout.FolderName, {failed});
    return;
  }
  mCrawl.Failed.push_back(std::move(failed));
  SaveFailedOnceIdle();
}

void DownloadScheduler::KeepRemoved(const Handout& handout, const std::string& reason) {
  FailedPicture removed{handout.Picture.Url, handout.Picture.SavePath, reason};
  if (handout.FolderName != mTask.FolderName) {
    mStateFiles.AppendFailed(handout.FolderName, {}, {removed});
    return;
  }
  mCrawl.Removed.push_back(std::move(removed));
  SaveFailedOnceIdle();
}

void DownloadScheduler::KeepReplaced(const Handout& handout, const std::string& replacedPath) {
  // The smaller copy was handed out in the same task, before this picture: its entry is the
  // last one with its save path.
  const std::vector<QueuedPicture>& queue = mCrawl.Queue;
  const auto entry = std::find_if(queue.rbegin(), queue.rend(), [&](const QueuedPicture& queued) {
    return queued.SavePath == replacedPath;
  });
  if (handout.FolderName != mTask.FolderName || entry == queue.rend()) return;
  Handout replaced = handout;
  replaced.Picture = *entry;
  replaced.QueuePosition = -1;
  const std::string reason =
      kReplacedStatus + std::filesystem::path(handout.Picture.SavePath).filename().string();
  Mark(replaced, reason);
  KeepRemoved(replaced, reason);
}

void DownloadScheduler::ForgetFailure(const Handout& handout) {
  auto found =
      std::find_if(mCrawl.Failed.begin(), mCrawl.Failed.end(), [&](const FailedPicture& failed) {
        return failed.Url == handout.Picture.Url && failed.SavePath == handout.Picture.SavePath;
      });
  if (found == mCrawl.Failed.end()) return;
  mCrawl.Failed.erase(found);
  SaveFailedOnceIdle();
}

void DownloadScheduler::SaveFailedOnceIdle() {
  // While the crawl runs, its own saving keeps the state files.
  if (mRun.CrawlIdle()) mStateFiles.SaveFailed(mTask.FolderName, mCrawl);
}

void DownloadScheduler::ShowCounts() {
  mStatus.SetStatusText(kCountPanel, std::to_string(mDownloaded) + " downloaded, " +
                                         std::to_string(mFailed) + " failed");
}

void DownloadScheduler::DropRetries() {
  for (const WaitingRetry& retry : mRetries) Mark(retry.Download, kFailedStatus + retry.Reason);
  mRetries.clear();
}

void DownloadScheduler::Mark(const Handout& handout, const std::string& status) {
  // Rows show the running task only.
  if (!mPictures.MarkPicture || handout.FolderName != mTask.FolderName) return;
  try {
    mPictures.MarkPicture(handout.QueuePosition, handout.Picture.SavePath, status);
  } catch (const std::bad_alloc&) {
    // The row keeps its old look; the downloads go on.
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

}  // namespace vexilo
