#pragma once
// One picture transfer run to its end on the calling thread, on a handle of its own: the
// transfer rules without the download pool around them.

#include <curl/curl.h>

#include <atomic>

#include "downloader/CurlRequest.h"
#include "downloader/HttpFetch.h"

namespace vexilo::test {

inline FetchResult FetchOnce(const DownloadRequest& request, const TransferLimits& limits,
                             const std::atomic<bool>& abort) {
  InitCurlOnce();
  PictureTransfer transfer(request, limits, abort);
  CURL* curl = curl_easy_init();
  if (transfer.Prepare(curl)) transfer.Finish(curl, curl_easy_perform(curl));
  if (curl != nullptr) curl_easy_cleanup(curl);
  transfer.Settle();
  return transfer.Result();
}

}  // namespace vexilo::test
