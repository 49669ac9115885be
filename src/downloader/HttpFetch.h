#pragma once
// One HTTP/1.1 GET into a file with libcurl. Any thread; one call per transfer.

#include <atomic>
#include <string>

#include "downloader/CurlHandlePool.h"
#include "downloader/CurlRequest.h"
#include "downloader/DownloadRequest.h"
#include "downloader/FetchOutcome.h"

namespace vexilo {

// Creates (or empties) the file at request.SavePath and writes the response body into it as
// it arrives, whatever the status. Redirections are not followed. Ok only for a complete
// transfer with a 2xx status and no "Location" header. When the file cannot be created, or
// the save path is a symbolic link, no request is sent. A body past limits.MaxBodyBytes fails
// and its file is deleted; a failure by any other limit keeps what arrived. Setting abort
// makes a running transfer give up within about a second. The libcurl handle, and with it any
// connection still open to the server, is borrowed from handles and given back only after a
// successful transfer.
// A failed outcome says why, in the words the picture list shows.
FetchOutcome FetchToFile(const DownloadRequest& request, const TransferLimits& limits,
                         const std::atomic<bool>& abort, CurlHandlePool& handles);

}  // namespace vexilo
