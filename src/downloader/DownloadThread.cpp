#include "downloader/DownloadThread.h"

#include "downloader/HttpFetch.h"

namespace vexilo {

TDownloadThead::TDownloadThead(DownloadRequest request, TransferLimits limits, WorkerLinks links)
    : mRequest(std::move(request)), mLimits(limits), mLinks(std::move(links)) {}

TDownloadThead::~TDownloadThead() { Join(); }

void TDownloadThead::Start() { mThread = std::thread(&TDownloadThead::Execute, this); }

void TDownloadThead::Join() {
  if (mThread.joinable()) mThread.join();
}

void TDownloadThead::Execute() {
  DownloadResult result;
  try {
    result.Fetch = FetchToFile(mRequest, mLimits, mLinks.Abort, mLinks.Handles);
  } catch (...) {
    result.Fetch.Reason = "could not start";
  }
  const bool downloaded = result.Fetch.Ok;
  // A failed download leaves an error page or a partial file: not a picture to show. At
  // shut-down no decode is started.
  std::string& removedBecause = result.RemovedBecause;
  if (downloaded && !mLinks.Abort.load() && mLinks.Pictures.CheckPicture) {
    try {
      removedBecause = mLinks.Pictures.CheckPicture(mRequest.SavePath);
    } catch (...) {
      // A check that cannot be made keeps the picture.
    }
  }
  std::optional<Bitmap24> thumbnail;
  if (downloaded && removedBecause.empty() && !mLinks.Abort.load() &&
      mLinks.Pictures.MakeThumbnail) {
    try {
      thumbnail = mLinks.Pictures.MakeThumbnail(mRequest.SavePath);
    } catch (...) {
      // Unreadable: neither listed nor shown.
    }
  }
  {
    std::lock_guard lock(mLinks.DownloadLock);
    try {
      mLinks.Reports.RunAndWait([this, &thumbnail, &result] {
        if (!result.Fetch.FinalUrl.empty()) ReportFinalAddress(result.Fetch.FinalUrl);
        if (thumbnail) ReportDownload(*thumbnail);
        if (mLinks.Finished) mLinks.Finished(result);
      });
    } catch (...) {
      // The report is lost; the slot must still be freed.
    }
    mLinks.ActiveWorkers.fetch_sub(1);
  }
  try {
    if (mLinks.SlotFreed) mLinks.SlotFreed();
  } catch (...) {
    // The next timer tick fills the slot instead.
  }
  mFinished.store(true);
}

void TDownloadThead::ReportDownload(const Bitmap24& thumbnail) {
  try {
    mLinks.Pictures.AppendPicture(mRequest.SavePath, thumbnail);
  } catch (...) {
    // A picture the grid cannot take is simply not shown.
  }
}

void TDownloadThead::ReportFinalAddress(const std::string& finalUrl) {
  if (!mLinks.Pictures.ShowFinalAddress) return;
  try {
    mLinks.Pictures.ShowFinalAddress(mRequest.SavePath, finalUrl);
  } catch (...) {
    // The row keeps the address the page gave.
  }
}

}  // namespace vexilo
