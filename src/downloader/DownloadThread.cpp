#include "downloader/DownloadThread.h"

#include <new>
#include <utility>

#include "pictures/PictureError.h"

namespace vexilo {

TDownloadThead::TDownloadThead(std::uint64_t id, DownloadRequest request,
                               const TransferLimits& limits, const std::atomic<bool>& abort)
    : mId(id), mAbort(abort), mTransfer(std::move(request), limits, abort) {}

void TDownloadThead::Complete(const PictureHooks& pictures) {
  mTransfer.Settle();
  mResult.Fetch = mTransfer.Result();
  // A failed download leaves an error page or a partial file: not a picture to show.
  if (!mResult.Fetch.Ok || mAbort.load()) return;
  const std::string& savePath = mTransfer.Request().SavePath;
  if (pictures.CheckPicture) {
    try {
      mResult.RemovedBecause = pictures.CheckPicture(savePath);
    } catch (const std::bad_alloc&) {
      // A check that cannot be made keeps the picture.
    }
  }
  if (!mResult.RemovedBecause.empty() || mAbort.load() || !pictures.MakeThumbnail) return;
  try {
    MadeThumbnail made = pictures.MakeThumbnail(savePath);
    mThumbnail = std::move(made.Thumbnail);
    mResult.RemovedBecause = std::move(made.RemovedBecause);
    mResult.ReplacedPath = std::move(made.ReplacedPath);
  } catch (const PictureError&) {
    // Unreadable, or (below) no memory to read it: neither listed nor shown.
  } catch (const std::bad_alloc&) {
  }
}

void TDownloadThead::Report(const PictureHooks& pictures) {
  const std::string& savePath = mTransfer.Request().SavePath;
  if (!mResult.Fetch.FinalUrl.empty() && pictures.ShowFinalAddress) {
    try {
      pictures.ShowFinalAddress(savePath, mResult.Fetch.FinalUrl);
    } catch (const std::bad_alloc&) {
      // The row keeps the address the page gave.
    }
  }
  if (!mThumbnail) return;
  try {
    if (!mResult.ReplacedPath.empty() && pictures.ReplacePicture) {
      pictures.ReplacePicture(mResult.ReplacedPath, savePath, *mThumbnail);
    } else if (pictures.AppendPicture) {
      pictures.AppendPicture(savePath, *mThumbnail);
    }
  } catch (const std::bad_alloc&) {
    // A picture the grid cannot take is simply not shown.
  }
}

}  // namespace vexilo
