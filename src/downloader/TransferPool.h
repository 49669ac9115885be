#pragma once
// What the download scheduler needs of the pool that runs its downloads: offers that start
// in the order given, as fewer than the most allowed run, and a start and then a report for
// each on the main thread. DownloadPool runs them on threads; scheduler tests use a fake.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

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

class TransferPool {
 public:
  virtual ~TransferPool() = default;

  // Main thread. Offers download id: it starts, in the order offered, as soon as fewer than
  // SetMostRunning transfers run. Its start and then its report follow on the main thread,
  // however it ends, unless Withdraw takes it back first. May raise std::system_error or
  // std::bad_alloc; the offer is then not made.
  virtual void Offer(std::uint64_t id, DownloadRequest request) = 0;
  // Main thread. Transfers at a time from now on (at least 1).
  virtual void SetMostRunning(int count) = 0;
  // Main thread. All transfers together receive at most this many bytes a second from now
  // on, shared evenly among those running; 0 for no cap.
  virtual void SetRateCap(std::uint64_t /*bytesPerSecond*/) {}
  // Main thread. Takes back every offer that has not started. Returns, in order, the
  // downloads that started but whose Started has not run: it will not run for them.
  virtual std::vector<std::uint64_t> Withdraw() = 0;
  // Closes the connections kept open, once no transfer runs. Any thread.
  virtual void CloseIdleConnections() = 0;
  // Main thread. Cuts off running transfers and ends the pool; no report runs after it.
  virtual void Shutdown() = 0;
};

// Makes the scheduler's pool, given where its starts and reports go.
using PoolMaker = std::function<std::unique_ptr<TransferPool>(PoolLinks links)>;

}  // namespace vexilo
