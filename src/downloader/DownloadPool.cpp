#include "downloader/DownloadPool.h"

#include <algorithm>

#include "downloader/CurlRequest.h"

namespace vexilo {
namespace {

// How long the transfer thread sleeps when nothing happens; new work and shut-down wake it,
// and libcurl's own timers shorten it.
constexpr int kIdlePollMilliseconds = 1000;
// Handles kept for reuse: libcurl then need not set one up for every picture.
constexpr std::size_t kSpareHandles = 16;

CURLM* NewMulti() {
  CURLM* multi = curl_multi_init();
  if (multi == nullptr) return nullptr;
  // Tuning only: a multi handle that refuses them still downloads.
  (void)curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, DownloadPool::kMostPerHost);
  (void)curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, DownloadPool::kIdleConnections);
  return multi;
}

unsigned CompletionThreadCount() { return std::clamp(std::thread::hardware_concurrency(), 1u, 4u); }

}  // namespace

DownloadPool::DownloadPool(MainThread& mainThread, TransferLimits limits, PoolLinks links)
    : mLimits(limits), mLinks(std::move(links)), mReports(mainThread) {
  InitCurlOnce();
}

DownloadPool::~DownloadPool() { Shutdown(); }

void DownloadPool::Start(std::uint64_t id, DownloadRequest request) {
  if (mShutDown) return;
  auto download = std::make_unique<TDownloadThead>(id, std::move(request), mLimits, mAbort);
  if (!mTransferThread.joinable()) StartThreads();
  std::lock_guard lock(mMutex);
  mIncoming.push_back(std::move(download));
  Wake();
}

void DownloadPool::StartThreads() {
  {
    std::lock_guard lock(mMutex);
    if (mMulti == nullptr) mMulti = NewMulti();
    if (mMulti == nullptr) throw std::bad_alloc();
  }
  // The transfer thread last: while it is missing, the next Start tries again.
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
  mIncoming.clear();
  mToComplete.clear();
  mToReport.clear();
  if (mMulti != nullptr) curl_multi_cleanup(mMulti);
  mMulti = nullptr;
}

void DownloadPool::Wake() {
  if (mMulti != nullptr) curl_multi_wakeup(mMulti);
}

void DownloadPool::RunTransfers() {
  std::vector<std::pair<CURL*, Download>> running;
  std::vector<CURL*> spare;  // their last transfers went well; reset before each use
  const auto takeHandle = [&spare]() -> CURL* {
    if (spare.empty()) return curl_easy_init();
    CURL* curl = spare.back();
    spare.pop_back();
    curl_easy_reset(curl);
    return curl;
  };
  CURLM* multi = nullptr;
  while (!mAbort.load()) {
    try {
      std::vector<Download> incoming;
      {
        std::lock_guard lock(mMutex);
        incoming.swap(mIncoming);
        if (mCloseIdle && running.empty() && incoming.empty()) {
          // The old connections close with their multi handle; when no new one can be
          // made, they stay open rather than leave later pictures without one.
          if (CURLM* fresh = NewMulti()) {
            curl_multi_cleanup(mMulti);
            mMulti = fresh;
          }
          mCloseIdle = false;
        }
        multi = mMulti;
      }
      running.reserve(running.size() + incoming.size());
      for (Download& download : incoming) {
        CURL* curl = takeHandle();
        if (!download->Transfer().Prepare(curl)) {
          if (curl != nullptr) curl_easy_cleanup(curl);
          Completed(std::move(download));
          continue;
        }
        if (curl_multi_add_handle(multi, curl) != CURLM_OK) {
          download->Transfer().Finish(curl, CURLE_OUT_OF_MEMORY);
          curl_easy_cleanup(curl);
          Completed(std::move(download));
          continue;
        }
        running.emplace_back(curl, std::move(download));
      }
      int stillRunning = 0;
      (void)curl_multi_perform(multi, &stillRunning);
      int left = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        // The message is gone once its handle leaves the multi handle.
        CURL* curl = message->easy_handle;
        const CURLcode code = message->data.result;
        auto done = std::find_if(running.begin(), running.end(),
                                 [curl](const auto& entry) { return entry.first == curl; });
        curl_multi_remove_handle(multi, curl);
        if (done == running.end()) {
          curl_easy_cleanup(curl);
          continue;
        }
        Download download = std::move(done->second);
        running.erase(done);
        download->Transfer().Finish(curl, code);
        // A handle whose transfer failed (a host that did not resolve, say) can refuse
        // options at its next use, and would fail every later picture that took it.
        if (download->Transfer().Result().Ok && spare.size() < kSpareHandles) {
          spare.push_back(curl);
        } else {
          curl_easy_cleanup(curl);
        }
        Completed(std::move(download));
      }
      (void)curl_multi_poll(multi, nullptr, 0, kIdlePollMilliseconds, nullptr);
    } catch (...) {
      // Out of memory: what could not be tracked is lost; the rest goes on.
    }
  }
  // Shut-down: what still runs is cut off, its file kept as far as it came.
  for (auto& [curl, download] : running) {
    curl_multi_remove_handle(multi, curl);
    curl_easy_cleanup(curl);
  }
  for (CURL* curl : spare) curl_easy_cleanup(curl);
}

void DownloadPool::Completed(Download download) {
  {
    std::lock_guard lock(mMutex);
    mToComplete.push_back(std::move(download));
  }
  mCompletionWork.notify_one();
}

void DownloadPool::RunCompletions() {
  while (true) {
    Download download;
    {
      std::unique_lock lock(mMutex);
      mCompletionWork.wait(lock, [this] { return mAbort.load() || !mToComplete.empty(); });
      if (mAbort.load()) return;
      download = std::move(mToComplete.front());
      mToComplete.pop_front();
    }
    download->Complete(mLinks.Pictures);
    try {
      bool first = false;
      {
        std::lock_guard lock(mMutex);
        first = mToReport.empty();
        mToReport.push_back(std::move(download));
      }
      // One call delivers every report that is waiting by the time it runs.
      if (first) mReports.Post([this] { Deliver(); });
    } catch (...) {
      // Out of memory: this report is lost.
    }
  }
}

void DownloadPool::Deliver() {
  std::vector<Download> reports;
  {
    std::lock_guard lock(mMutex);
    reports.swap(mToReport);
  }
  for (const Download& download : reports) {
    download->Report(mLinks.Pictures);
    try {
      if (mLinks.Ended) mLinks.Ended(download->Id(), download->Result());
    } catch (...) {
      // The scheduler keeps its counts as they were; the slot is freed all the same.
    }
  }
  reports.clear();
  try {
    if (mLinks.SlotsFreed) mLinks.SlotsFreed();
  } catch (...) {
    // The next timer tick fills the slots instead.
  }
}

}  // namespace vexilo
