#pragma once
// Runs picture downloads on a fixed set of threads: one transfer thread drives every transfer
// through one CurlMulti, which keeps connections open and reuses the easy handles of
// transfers that went well; up to four more check the files and make thumbnails, so a slow
// decode never holds up a transfer. Offers start there, in order, the moment a place frees;
// starts and reports reach the main thread in one posted call for all that happened meanwhile.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/MainThread.h"
#include "downloader/ClosableMainThread.h"
#include "downloader/CurlMulti.h"
#include "downloader/DownloadRequest.h"
#include "downloader/DownloadThread.h"

namespace vexilo {

struct PoolLinks {
  PictureHooks Pictures;
  // Main thread, in the order offered and before the download's report: download id started.
  std::function<void(std::uint64_t id)> Started;
  // Main thread, after the picture's report: how download id ended.
  std::function<void(std::uint64_t id, const DownloadResult&)> Ended;
  // Main thread, once after the downloads that ended together: their slots are free.
  std::function<void()> SlotsFreed;
};

class DownloadPool {
 public:
  // mainThread must outlive the pool. No thread is made before the first Start.
  DownloadPool(MainThread& mainThread, TransferLimits limits, PoolLinks links);
  ~DownloadPool();  // Shutdown()
  DownloadPool(const DownloadPool&) = delete;
  DownloadPool& operator=(const DownloadPool&) = delete;

  // Main thread. Offers download id: it starts, in the order offered, as soon as fewer than
  // SetMostRunning transfers run. Its start and then its report follow on the main thread,
  // however it ends, unless Withdraw takes it back first. Raises std::system_error when the
  // pool's threads cannot be made, std::bad_alloc.
  void Offer(std::uint64_t id, DownloadRequest request);
  // Main thread. Transfers at a time from now on (at least 1; 3 until set).
  void SetMostRunning(int count);
  // Main thread. Takes back every offer that has not started. Returns, in order, the
  // downloads that started but whose Started has not run: it will not run for them.
  std::vector<std::uint64_t> Withdraw();
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
  void Completed(std::vector<Download>& done);
  // With mMutex held: true, once, until the posted Deliver runs.
  bool ClaimDelivery();
  void PostDelivery();  // without mMutex held
  void Deliver();       // main thread
  void Wake();          // with mMutex held

  TransferLimits mLimits;
  PoolLinks mLinks;
  ClosableMainThread mReports;
  std::atomic<bool> mAbort{false};
  bool mShutDown = false;  // main thread

  std::mutex mMutex;
  std::condition_variable mCompletionWork;
  // Made by the first Offer, renewed by the transfer thread only, under mMutex.
  std::optional<CurlMulti> mMulti;
  std::deque<Download> mOffered;  // in the order they start
  int mMostRunning = 3;
  std::size_t mTransfersRunning = 0;    // as the transfer thread last counted
  std::vector<std::uint64_t> mStarted;  // not yet delivered
  std::deque<Download> mToComplete;
  std::vector<Download> mToReport;
  bool mDeliveryPosted = false;
  bool mCloseIdle = false;
  std::thread mTransferThread;
  std::vector<std::thread> mCompletionThreads;
};

}  // namespace vexilo
