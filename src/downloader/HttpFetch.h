#pragma once
// One picture's HTTP GET into a file with libcurl.

#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <string>

#include "downloader/CurlRequest.h"
#include "downloader/DownloadRequest.h"
#include "downloader/FetchOutcome.h"
#include "downloader/TransferRate.h"

namespace vexilo {

// How the transfer ended (Ok: a complete transfer with a 2xx status, no "Location" header
// and, with KeepOnlyRealPictures, a picture), and what else the worker tells of it.
struct FetchResult : FetchOutcome {
  // The address a followed redirection ended at, without user name and password; empty when
  // none was followed or the transfer failed.
  std::string FinalUrl;
  // With KeepOnlyRealPictures, why the file was deleted: the status ("404 Not Found"), "not a
  // picture" or "download failed". Empty when the file was kept.
  std::string RemovedBecause;
};

// One picture's GET into its file, on a handle the caller drives from one thread at a time.
// The body goes into a partial file beside SavePath as it arrives (PartialFile.h); nothing is
// sent when that cannot be created. Only a whole response then replaces SavePath, whatever
// its status, except a body past MaxBodyBytes and, with KeepOnlyRealPictures, one that is no
// picture. A transfer cut short leaves SavePath as it was. abort ends a transfer within about
// a second. The file work is left to Settle, off the thread that drives the transfers.
class PictureTransfer {
 public:
  // limits and abort must outlive the transfer.
  PictureTransfer(DownloadRequest request, const TransferLimits& limits,
                  const std::atomic<bool>& abort);
  ~PictureTransfer();
  PictureTransfer(const PictureTransfer&) = delete;
  PictureTransfer& operator=(const PictureTransfer&) = delete;

  // Creates the file and sets every option of curl (fresh or reset; null when none could be
  // made). False when nothing may be sent: Result() then says why.
  bool Prepare(CURL* curl);
  // After curl's transfer ended with code: judges the response by what curl holds, so that
  // curl may be reused at once.
  void Finish(CURL* curl, CURLcode code);
  // After Finish, on any thread: marks and closes the file, then gives it the picture's name
  // or removes what must not stay. Result() is whole only after it; without it the partial
  // file goes with the transfer, and the picture keeps what it had.
  void Settle();

  // The transfer thread's share of a speed cap for this transfer, 0 for none; the write that
  // finds it used up pauses the transfer, which the caller resumes once Rate() says when.
  TransferRate& Rate() { return mRate; }

  const DownloadRequest& Request() const { return mRequest; }
  const FetchResult& Result() const { return mResult; }

 private:
  struct Parts;

  DownloadRequest mRequest;
  const TransferLimits& mLimits;
  const std::atomic<bool>& mAbort;
  TransferRate mRate;
  std::unique_ptr<Parts> mParts;  // the file and the callbacks' state, while prepared
  FetchResult mResult;
};

}  // namespace vexilo
