#pragma once
// Runs picture downloads on a fixed set of threads rather than one thread per picture: one
// thread drives every transfer through libcurl's multi interface, which keeps the
// connections open between pictures, and a few more check the finished files and make their
// thumbnails, so that a slow decode never holds up a transfer. Finished downloads reach the
// main thread together: one posted call for all that finished meanwhile.

#include <curl/curl.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/MainThread.h"
#include "downloader/ClosableMainThread.h"
#include "downloader/DownloadRequest.h"
#include "downloader/DownloadThread.h"

namespace vexilo {

struct PoolLinks {
  PictureHooks Pictures;
  // Main thread, after the picture's report: how download id ended.
  std::function<void(std::uint64_t id, const DownloadResult&)> Ended;
  // Main thread, once after the downloads that ended together: their slots are free.
  std::function<void()> SlotsFreed;
};

class DownloadPool {
 public:
  // Connections to one host at a time, running or idle; transfers past it wait inside the pool.
  static constexpr long kMostPerHost = 4;
  // Idle connections kept for later pictures.
  static constexpr long kIdleConnections = 10;

  // mainThread must outlive the pool. No thread is made before the first Start.
  DownloadPool(MainThread& mainThread, TransferLimits limits, PoolLinks links);
  ~DownloadPool();  // Shutdown()
  DownloadPool(const DownloadPool&) = delete;
  DownloadPool& operator=(const DownloadPool&) = delete;

  // Main thread. Starts download id; its report follows on the main thread, however it ends.
  // Raises std::system_error when the pool's threads cannot be made, std::bad_alloc.
  void Start(std::uint64_t id, DownloadRequest request);
  // Closes the connections kept open, once no transfer runs. Any thread.
  void CloseIdleConnections();
  // Main thread. Cuts off running transfers (their files stay as far as they came) and joins
  // the threads; no report runs after it. Takes up to about a decode's time.
  void Shutdown();

 private:
  using Download = std::unique_ptr<TDownloadThead>;

  void StartThreads();
  void RunTransfers();    // the transfer thread
  void RunCompletions();  // each completion thread
  void Completed(Download download);
  void Deliver();  // main thread
  void Wake();     // with mMutex held

  TransferLimits mLimits;
  PoolLinks mLinks;
  ClosableMainThread mReports;
  std::atomic<bool> mAbort{false};
  bool mShutDown = false;  // main thread

  std::mutex mMutex;
  std::condition_variable mCompletionWork;
  CURLM* mMulti = nullptr;  // replaced by the transfer thread only, under mMutex
  std::vector<Download> mIncoming;
  std::deque<Download> mToComplete;
  std::vector<Download> mToReport;
  bool mCloseIdle = false;
  std::thread mTransferThread;
  std::vector<std::thread> mCompletionThreads;
};

}  // namespace vexilo
