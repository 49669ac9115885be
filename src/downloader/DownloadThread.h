#pragma once
// TDownloadThead: fetches one picture on a thread of its own, then reports it to the main
// thread under the download lock and frees its download slot.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "core/MainThread.h"
#include "downloader/CurlHandlePool.h"
#include "downloader/DownloadRequest.h"

namespace vexilo {

// What a worker shares with whoever started it. Everything here must outlive the worker's
// thread: join it (Join or the destructor) before these go.
struct WorkerLinks {
  std::mutex& DownloadLock;                  // held while reporting and freeing the slot
  std::atomic<std::int32_t>& ActiveWorkers;  // decremented under DownloadLock when done
  const std::atomic<bool>& Abort;            // set at shut-down: running transfers give up
  MainThread& Reports;                       // runs the report and waits for it
  CurlHandlePool& Handles;                   // lends the HTTP client
  // Main thread, with the download lock held: a picture that downloaded successfully.
  std::function<void(const std::string& savedPath)> AppendPicture;
  // Worker thread, after the download lock is released: the slot is free again.
  std::function<void()> SlotFreed;
};

class TDownloadThead {
 public:
  // Created suspended; Start() runs it.
  TDownloadThead(DownloadRequest request, TransferLimits limits, WorkerLinks links);
  ~TDownloadThead();  // joins
  TDownloadThead(const TDownloadThead&) = delete;
  TDownloadThead& operator=(const TDownloadThead&) = delete;

  // Raises std::system_error when no thread can be made.
  void Start();
  // True once the body has returned; Join() then does not wait.
  bool Finished() const { return mFinished.load(); }
  void Join();

 private:
  void Execute();
  void ReportDownload();  // main thread

  DownloadRequest mRequest;
  TransferLimits mLimits;
  WorkerLinks mLinks;
  std::atomic<bool> mFinished{false};
  std::thread mThread;
};

}  // namespace vexilo
