#pragma once
// Runs picture downloads on a fixed set of threads: one transfer thread drives every transfer
// through one CurlMulti, which keeps connections open and reuses the easy handles of
// transfers that went well; up to four more check the files and make thumbnails, so a slow
// decode never holds up a transfer. Offers start there, in order, the moment a place frees;
// starts and reports reach the main thread in one posted call for all that happened meanwhile,
// gathered for at most a few milliseconds while the transfers keep the threads busy.

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
#include "downloader/TransferPool.h"

namespace vexilo {

class DownloadPool final : public TransferPool {
 public:
  // mainThread must outlive the pool.
  DownloadPool(MainThread& mainThread, TransferLimits limits, PoolLinks links);
  ~DownloadPool() override;  // Shutdown()
  DownloadPool(const DownloadPool&) = delete;
  DownloadPool& operator=(const DownloadPool&) = delete;

  // TransferPool. Offer makes the threads at its first call; Shutdown joins them, which
  // takes up to about a decode's time, and leaves cut-off files as far as they came.
  void Offer(std::uint64_t id, DownloadRequest request) override;
  void SetMostRunning(int count) override;  // 3 until set
  void SetRateCap(std::uint64_t bytesPerSecond) override;
  std::vector<std::uint64_t> Withdraw() override;
  void CloseIdleConnections() override;
  void Shutdown() override;

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
  std::uint64_t mRateCap = 0;           // bytes a second, 0: none
  std::size_t mTransfersRunning = 0;    // as the transfer thread last counted
  std::vector<std::uint64_t> mStarted;  // not yet delivered
  std::deque<Download> mToComplete;
  std::vector<Download> mToReport;
  Clock::TimePoint mReportsSince{};  // when the first of mToReport was added
  bool mDeliveryPosted = false;
  bool mCloseIdle = false;
  std::thread mTransferThread;
  std::vector<std::thread> mCompletionThreads;
};

// The pool the program runs its downloads in, reporting through mainThread (which must
// outlive it).
PoolMaker ThreadPool(MainThread& mainThread, TransferLimits limits = {});

}  // namespace vexilo
