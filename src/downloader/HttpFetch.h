#pragma once
// One HTTP/1.1 GET into a file with libcurl. Any thread; one call per transfer.

#include <atomic>
#include <string>

#include "downloader/CurlHandlePool.h"
#include "downloader/CurlRequest.h"
#include "downloader/DownloadRequest.h"
#include "downloader/FetchOutcome.h"

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

// Creates (or empties) the file at request.SavePath and writes the response body into it as
// it arrives, whatever the status; with request.KeepOnlyRealPictures a file that did not
// become a whole picture of a known kind is deleted afterwards, except when abort cut it off.
// Redirections are followed only as the request says. When the file cannot be created, or
// the save path is a symbolic link, no request is sent. A body past limits.MaxBodyBytes fails
// and its file is deleted; a failure by any other limit keeps what arrived. Setting abort
// makes a running transfer give up within about a second. The libcurl handle, and with it any
// connection still open to the server, is borrowed from handles and given back only after a
// successful transfer.
// A failed outcome says why, in the words the picture list shows.
FetchResult FetchToFile(const DownloadRequest& request, const TransferLimits& limits,
                        const std::atomic<bool>& abort, CurlHandlePool& handles);

}  // namespace vexilo
