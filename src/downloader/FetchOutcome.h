#pragma once
// How one picture transfer ended, in words the picture list shows. Any thread.

#include <chrono>
#include <string>

namespace vexilo {

struct FetchOutcome {
  bool Ok = false;
  // Why it failed, short and plain: "404 Not Found", "could not resolve host", "timed out".
  std::string Reason;
  // Worth another try later: connection errors, time-outs, 408, 429 and 5xx.
  bool Transient = false;
  // The server's Retry-After (seconds or an HTTP date, as seconds from now); 0 when none.
  std::chrono::seconds RetryAfter{0};
};

// A transfer libcurl ended with code (a CURLcode); aborted says Stop or shut-down asked for it.
FetchOutcome TransferFailure(int curlCode, bool aborted);
// A complete response whose status is not a plain success.
FetchOutcome StatusFailure(long status, std::chrono::seconds retryAfter);
// "404 Not Found"; a status without a well-known phrase is "HTTP <status>".
std::string StatusText(long status);

}  // namespace vexilo
