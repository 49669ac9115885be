#include "downloader/DownloadPool.h"

#include <malloc.h>
#include <pthread.h>

#include <algorithm>
#include <new>

#include "core/Errors.h"
#include "downloader/CurlRequest.h"

namespace vexilo {
namespace {

// How long the transfer thread sleeps when nothing happens; new work and shut-down wake it,
// and libcurl's own timers shorten it.
constexpr std::chrono::milliseconds kIdlePoll{1000};
// Handles kept for reuse: libcurl then need not set one up for every picture.
constexpr std::size_t kSpareHandles = 16;
// Freed memory kept in the process for the next transfers rather than handed back.
constexpr int kKeptFreeMemory = 32 << 20;
// While transfers keep the transfer thread busy, the pictures that ended are handed on
// together: each hand-over wakes a completion thread and the main thread, which on a small
// machine take turns with this one. They wait no longer than the thread has work at hand,
// nor past this many, nor this long, nor once the offers not started run short.
constexpr std::size_t kMostHeldReports = 16;
constexpr std::chrono::milliseconds kLongestHeld{20};

unsigned CompletionThreadCount() { return std::clamp(std::thread::hardware_concurrency(), 1u, 4u); }

// Each running transfer's share of the cap, never so small that the rate floor ends it.
curl_off_t ShareOfCap(std::uint64_t cap, std::size_t transfers, std::uint64_t floor) {
  return static_cast<curl_off_t>(std::max<std::uint64_t>(cap / std::max<std::size_t>(transfers, 1),
                                                         2 * std::max<std::uint64_t>(floor, 512)));
}

// Small reads keep a transfer near its share between pauses.
void LimitBuffer(CURL* curl, curl_off_t share) {
  (void)curl_easy_setopt(curl, CURLOPT_BUFFERSIZE,
                         static_cast<long>(std::clamp<curl_off_t>(share / 2, 1024, 100 * 1024)));
}

// A link that fails for want of memory or of a state file leaves the scheduler's rows and
// counts as they were; the links after it still run.
template <typename Link, typename... Args>
void CallLink(const Link& link, const Args&... args) {
  if (!link) return;
  try {
    link(args...);
  } catch (const FileError&) {
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace

DownloadPool::DownloadPool(MainThread& mainThread, TransferLimits limits, PoolLinks links)
    : mLimits(limits), mLinks(std::move(links)), mReports(mainThread) {
  InitCurlOnce();
}

DownloadPool::~DownloadPool() { Shutdown(); }

void DownloadPool::Offer(std::uint64_t id, DownloadRequest request) {
  if (mShutDown) return;
  auto download = std::make_unique<TDownloadThead>(id, std::move(request), mLimits, mAbort);
  if (!mTransferThread.joinable()) StartThreads();
  std::lock_guard lock(mMutex);
  mOffered.push_back(std::move(download));
  // A transfer thread with every place taken looks at the offers when a transfer ends.
  if (mTransfersRunning < static_cast<std::size_t>(mMostRunning)) Wake();
}

void DownloadPool::SetMostRunning(int count) {
  std::lock_guard lock(mMutex);
  mMostRunning = std::max(count, 1);
  Wake();
}

void DownloadPool::SetRateCap(std::uint64_t bytesPerSecond) {
  std::lock_guard lock(mMutex);
  mRateCap = bytesPerSecond;
  Wake();
}

std::vector<std::uint64_t> DownloadPool::Withdraw() {
  std::lock_guard lock(mMutex);
  mOffered.clear();
  std::vector<std::uint64_t> started;
  started.swap(mStarted);
  return started;
}

void DownloadPool::StartThreads() {
  // libcurl takes a receive buffer for every transfer and frees it at the end: freed memory
  // glibc handed back to the system comes back a page fault every 4 KB, for every picture.
  static const bool kept = mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory) == 1;
  (void)kept;
  {
    std::lock_guard lock(mMutex);
    if (!mMulti) mMulti.emplace();
  }
  // The transfer thread last: while it is missing, the next Offer tries again.
  while (mCompletionThreads.size() < CompletionThreadCount()) {
    mCompletionThreads.emplace_back(&DownloadPool::RunCompletions, this);
  }
  mTransferThread = std::thread(&DownloadPool::RunTransfers, this);
}

void DownloadPool::CloseIdleConnections() {
  std::lock_guard lock(mMutex);
  mCloseIdle = true;
  Wake();
}

void DownloadPool::Shutdown() {
  if (mShutDown) return;
  mShutDown = true;
  mReports.Close();
  {
    std::lock_guard lock(mMutex);
    mAbort.store(true);
    Wake();
  }
  mCompletionWork.notify_all();
  if (mTransferThread.joinable()) mTransferThread.join();
  for (std::thread& thread : mCompletionThreads) thread.join();
  mCompletionThreads.clear();
  std::lock_guard lock(mMutex);
  mOffered.clear();
  mStarted.clear();
  mToComplete.clear();
  mToReport.clear();
  mMulti.reset();
}

void DownloadPool::Wake() {
  if (mMulti) mMulti->Wake();
}

bool DownloadPool::ClaimDelivery() {
  if (mDeliveryPosted) return false;
  mDeliveryPosted = true;
  return true;
}

void DownloadPool::PostDelivery() {
  try {
    mReports.Post([this] { Deliver(); });
  } catch (const std::bad_alloc&) {
    // The next start or report posts it again.
    std::lock_guard lock(mMutex);
    mDeliveryPosted = false;
  }
}

void DownloadPool::RunTransfers() {
  pthread_setname_np(pthread_self(), "vexilo-transfer");  // for top and perf
  std::vector<std::pair<CURL*, Download>> running;
  std::vector<CURL*> spare;  // their last transfers went well; reset before each use
  const auto takeHandle = [&spare]() -> CURL* {
    if (spare.empty()) return curl_easy_init();
    CURL* curl = spare.back();
    spare.pop_back();
    curl_easy_reset(curl);
    return curl;
  };
  std::vector<Download> starting;
  std::vector<Download> done;
  Clock::TimePoint heldSince{};  // when the first of done ended
  bool startsUntold = false;     // mStarted holds starts no delivery was posted for
  std::size_t offersLeft = 0;
  const auto handOver = [&] {
    bool deliver = false;
    if (!done.empty()) {
      Completed(done);  // the completion threads post the starts with their reports
    } else if (startsUntold) {
      std::lock_guard lock(mMutex);
      deliver = ClaimDelivery();
    }
    startsUntold = false;
    if (deliver) PostDelivery();
  };
  CurlMulti& multi = *mMulti;  // made before this thread, and reset only after it ends
  // The cap's share as last given to the running transfers: set again whenever the cap or
  // the transfers change, so that together they stay within the cap.
  std::uint64_t cap = 0;
  std::size_t most = 1;
  std::optional<std::pair<std::uint64_t, std::size_t>> shared;
  const auto shareCap = [&] {
    const std::pair<std::uint64_t, std::size_t> sharing{cap, running.size()};
    if (shared == sharing) return;
    shared = sharing;
    const curl_off_t share =
        cap == 0 || running.empty() ? 0 : ShareOfCap(cap, running.size(), mLimits.MinAverageRate);
    const Clock::TimePoint now = mLimits.Time->Now();
    for (const auto& entry : running) {
      entry.second->Transfer().Rate().SetShare(static_cast<std::uint64_t>(share), now);
    }
  };
  // Resumes the transfers whose share has filled again; how long until the next one's has.
  const auto resumePaused = [&]() -> std::chrono::milliseconds {
    std::chrono::milliseconds wait = kIdlePoll;
    const Clock::TimePoint now = mLimits.Time->Now();
    for (const auto& [curl, download] : running) {
      TransferRate& rate = download->Transfer().Rate();
      if (!rate.Paused()) continue;
      if (rate.ResumeAt(now) <= now) {
        (void)curl_easy_pause(curl, CURLPAUSE_CONT);  // may take the held bytes at once
        if (!rate.Paused()) continue;
      }
      wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(rate.ResumeAt(now) - now));
    }
    return std::max(wait, std::chrono::milliseconds(1));
  };
  while (!mAbort.load()) {
    try {
      const std::size_t held = done.size();
      const bool holding = held > 0 || startsUntold;
      std::size_t room = 0;
      {
        std::lock_guard lock(mMutex);
        if (mCloseIdle && running.empty() && mOffered.empty()) {
          // The old connections close with their multi handle; when no new one can be
          // made, they stay open rather than leave later pictures without one.
          (void)multi.Renew();
          mCloseIdle = false;
        }
        room = static_cast<std::size_t>(mMostRunning);
        while (!mOffered.empty() && running.size() + starting.size() < room) {
          mStarted.push_back(mOffered.front()->Id());
          starting.push_back(std::move(mOffered.front()));
          mOffered.pop_front();
        }
        mTransfersRunning = running.size() + starting.size();
        offersLeft = mOffered.size();
        cap = mRateCap;
        most = room;
      }
      startsUntold = startsUntold || !starting.empty();
      running.reserve(running.size() + starting.size());
      for (Download& download : starting) {
        CURL* curl = takeHandle();
        if (!download->Transfer().Prepare(curl)) {
          if (curl != nullptr) curl_easy_cleanup(curl);
          done.push_back(std::move(download));
          continue;
        }
        if (cap > 0) LimitBuffer(curl, ShareOfCap(cap, most, mLimits.MinAverageRate));
        if (!multi.Add(curl)) {
          download->Transfer().Finish(curl, CURLE_OUT_OF_MEMORY);
          curl_easy_cleanup(curl);
          done.push_back(std::move(download));
          continue;
        }
        running.emplace_back(curl, std::move(download));
      }
      if (!starting.empty()) shared.reset();  // a new handle has no share yet
      starting.clear();
      shareCap();
      (void)resumePaused();  // also those paused before the cap was lifted
      (void)multi.Perform();
      while (const std::optional<CurlMulti::Done> ended = multi.NextDone()) {
        CURL* curl = ended->Easy;
        auto found = std::find_if(running.begin(), running.end(),
                                  [curl](const auto& entry) { return entry.first == curl; });
        if (found == running.end()) {
          curl_easy_cleanup(curl);
          continue;
        }
        Download download = std::move(found->second);
        running.erase(found);
        download->Transfer().Finish(curl, ended->Code);
        // A handle whose transfer failed (a host that did not resolve, say) can refuse
        // options at its next use, and would fail every later picture that took it.
        if (download->Transfer().Result().Ok && spare.size() < kSpareHandles) {
          spare.push_back(curl);
        } else {
          curl_easy_cleanup(curl);
        }
        done.push_back(std::move(download));
      }
      if (!done.empty() || startsUntold) {
        const Clock::TimePoint now = mLimits.Time->Now();
        if (!holding) heldSince = now;
        const bool ended = done.size() > held;  // their places go to the next offers at once
        if (done.size() >= kMostHeldReports || offersLeft < room ||
            now - heldSince >= kLongestHeld) {
          handOver();
        } else if (!ended && !multi.Poll(std::chrono::milliseconds(0))) {
          handOver();  // nothing else at hand
        }
        // Also after a look that may have taken a wake-up meant for new offers.
        continue;
      }
      multi.Poll(resumePaused());
    } catch (const std::bad_alloc&) {
      // What could not be tracked is lost; the rest goes on.
      starting.clear();
      done.clear();
    }
  }
  // Shut-down: what still runs is cut off, its file kept as far as it came.
  for (auto& [curl, download] : running) {
    multi.Remove(curl);
    curl_easy_cleanup(curl);
  }
  for (CURL* curl : spare) curl_easy_cleanup(curl);
}

void DownloadPool::Completed(std::vector<Download>& done) {
  {
    std::lock_guard lock(mMutex);
    for (Download& download : done) mToComplete.push_back(std::move(download));
  }
  // The thread woken wakes the next while work is left: a short batch wakes no idle thread.
  mCompletionWork.notify_one();
  done.clear();
}

void DownloadPool::RunCompletions() {
  pthread_setname_np(pthread_self(), "vexilo-check");
  while (true) {
    Download download;
    bool more = false;
    {
      std::unique_lock lock(mMutex);
      mCompletionWork.wait(lock, [this] { return mAbort.load() || !mToComplete.empty(); });
      if (mAbort.load()) return;
      download = std::move(mToComplete.front());
      mToComplete.pop_front();
      more = !mToComplete.empty();
    }
    if (more) mCompletionWork.notify_one();
    download->Complete(mLinks.Pictures);
    try {
      bool deliver = false;
      {
        std::lock_guard lock(mMutex);
        const Clock::TimePoint now = mLimits.Time->Now();
        if (mToReport.empty()) mReportsSince = now;
        mToReport.push_back(std::move(download));
        // A batch goes to the main thread whole, unless its first picture has waited long.
        deliver = (mToComplete.empty() || now - mReportsSince >= kLongestHeld) && ClaimDelivery();
      }
      // One call delivers every start and report that is waiting by the time it runs.
      if (deliver) PostDelivery();
    } catch (const std::bad_alloc&) {
      // This report is lost.
    }
  }
}

void DownloadPool::Deliver() {
  std::vector<std::uint64_t> started;
  std::vector<Download> reports;
  {
    std::lock_guard lock(mMutex);
    mDeliveryPosted = false;
    started.swap(mStarted);
    reports.swap(mToReport);
  }
  // Every report's start is among these or delivered before: it was recorded first.
  for (std::uint64_t id : started) CallLink(mLinks.Started, id);
  for (const Download& download : reports) {
    download->Report(mLinks.Pictures);
    CallLink(mLinks.Ended, download->Id(), download->Result());
  }
  reports.clear();
  CallLink(mLinks.SlotsFreed);  // when it fails, the next timer tick fills the slots
}

PoolMaker ThreadPool(MainThread& mainThread, TransferLimits limits) {
  return [&mainThread, limits](PoolLinks links) -> std::unique_ptr<TransferPool> {
    return std::make_unique<DownloadPool>(mainThread, limits, std::move(links));
  };
}

}  // namespace vexilo
