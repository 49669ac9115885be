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
  FetchResult fetched;
  try {
    fetched = FetchToFile(mRequest, mLimits, mLinks.Abort, mLinks.Handles);
  } catch (...) {
    // A failed download only frees its slot.
  }
  const bool downloaded = fetched.Downloaded;
  // A failed download leaves an error page or a partial file: not a picture to show. At
  // shut-down no decode is started.
  std::string removedBecause = fetched.RemovedBecause;
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
      if (thumbnail || !removedBecause.empty() || !fetched.FinalUrl.empty()) {
        mLinks.Reports.RunAndWait(
            [&] { Report(fetched.FinalUrl, thumbnail, removedBecause); });
      }
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

void TDownloadThead::Report(const std::string& finalUrl, const std::optional<Bitmap24>& thumbnail,
                            const std::string& removedBecause) {
  if (!finalUrl.empty()) ReportFinalAddress(finalUrl);
  if (thumbnail) {
    ReportDownload(*thumbnail);
  } else if (!removedBecause.empty()) {
    ReportRemoval(removedBecause);
  }
}

void TDownloadThead::ReportDownload(const Bitmap24& thumbnail) {
  try {
    mLinks.Pictures.AppendPicture(mRequest.SavePath, thumbnail);
  } catch (...) {
    // A picture the grid cannot take is simply not shown.
  }
}

void TDownloadThead::ReportRemoval(const std::string& status) {
  if (!mLinks.Pictures.MarkPicture) return;
  try {
    mLinks.Pictures.MarkPicture(mRequest.SavePath, status);
  } catch (...) {
    // The row keeps its old look.
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
