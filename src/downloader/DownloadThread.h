#pragma once
// TDownloadThead (so spelled: it is the name the system has always given this class): fetches one
// picture on a thread of its own, then reports it to the main thread under the download lock and
// frees its download slot.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/MainThread.h"
#include "downloader/CurlHandlePool.h"
#include "downloader/DownloadRequest.h"
#include "downloader/HttpFetch.h"
#include "pictures/Bitmap24.h"

namespace vexilo {

// What becomes of a picture downloaded successfully: its thumbnail is made on the worker,
// which decodes it anyway, so the main thread only adds a ready thumbnail.
struct PictureHooks {
  // Worker thread, outside the download lock: the grid's thumbnail of the saved file, or
  // nothing when it is no picture that can be read (then nothing is reported).
  std::function<std::optional<Bitmap24>(const std::string& savedPath)> MakeThumbnail;
  // Main thread, with the download lock held.
  std::function<void(const std::string& savedPath, const Bitmap24& thumbnail)> AppendPicture;
  // Worker thread, outside the download lock, before MakeThumbnail: "" keeps the saved file;
  // any other text says why it was removed again, which becomes its status.
  std::function<std::string(const std::string& savedPath)> CheckPicture;
  // Main thread: the picture's status in the picture list ("downloading", "done", "failed:
  // 404 Not Found", "duplicate", ...). queuePosition is its entry in the download queue, or
  // -1 for one handed out again (cut off or failed before).
  std::function<void(std::int64_t queuePosition, const std::string& savedPath,
                     const std::string& status)>
      MarkPicture;
  // Main thread, with the download lock held, before the picture is appended or marked: the
  // address a followed redirection ended at.
  std::function<void(const std::string& savedPath, const std::string& finalUrl)> ShowFinalAddress;
};

// How a worker's picture ended.
struct DownloadResult {
  FetchResult Fetch;
  std::string RemovedBecause;  // "" unless a check removed the downloaded file again
};

// What a worker shares with whoever started it. Everything here must outlive the worker's
// thread: join it (Join or the destructor) before these go.
struct WorkerLinks {
  std::mutex& DownloadLock;                  // held while reporting and freeing the slot
  std::atomic<std::int32_t>& ActiveWorkers;  // decremented under DownloadLock when done
  const std::atomic<bool>& Abort;            // set at shut-down: running transfers give up
  MainThread& Reports;                       // runs the report and waits for it
  CurlHandlePool& Handles;                   // lends the HTTP client
  PictureHooks Pictures;
  // Main thread, with the download lock held, after AppendPicture: how the picture ended.
  std::function<void(const DownloadResult&)> Finished;
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
  void ReportDownload(const Bitmap24& thumbnail);        // main thread
  void ReportFinalAddress(const std::string& finalUrl);  // main thread

  DownloadRequest mRequest;
  TransferLimits mLimits;
  WorkerLinks mLinks;
  std::atomic<bool> mFinished{false};
  std::thread mThread;
};

}  // namespace vexilo
