#pragma once
// Reads from a finished libcurl handle the facts that FetchOutcome needs to word a failure.
// The thread that ran the transfer.

#include <curl/curl.h>

#include "downloader/FetchOutcome.h"

namespace vexilo {

FailureFacts FailureFactsOf(CURL* curl);

}  // namespace vexilo
