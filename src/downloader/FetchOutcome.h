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

// What libcurl knew when a transfer failed. Some of its codes stand both for garbage from the
// server and for a fault of ours or of the network; these facts tell the two apart.
struct FailureFacts {
  // The address the transfer ended on is http: or https:, so a protocol refused came from
  // what the server sent (libcurl takes an answer without a status line for HTTP/0.9).
  bool HttpAddress = false;
  // It names a scheme other than those, which libcurl may not even parse (javascript:).
  bool OtherScheme = false;
  // The server's status line had been read when the transfer failed.
  bool StatusRead = false;
  // The system reported an error on the connection (a reset, say), not libcurl's parser.
  bool SocketError = false;
};

// A transfer libcurl ended with code (a CURLcode); aborted says Stop or shut-down asked for it.
FetchOutcome TransferFailure(int curlCode, bool aborted, const FailureFacts& facts);
// A complete response whose status is not a plain success.
FetchOutcome StatusFailure(long status, std::chrono::seconds retryAfter);
// A 429 or 503 answer with a Retry-After: the server asks that nothing more come for a while.
bool AsksForPause(const FetchOutcome& outcome);
// "404 Not Found"; a status without a well-known phrase is "HTTP <status>".
std::string StatusText(long status);

}  // namespace vexilo
