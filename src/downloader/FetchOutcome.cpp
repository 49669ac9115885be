#include "downloader/FetchOutcome.h"

#include <curl/curl.h>

#include <utility>

namespace vexilo {
namespace {

FetchOutcome Failure(std::string reason, bool transient) {
  return {false, std::move(reason), transient, std::chrono::seconds(0)};
}

// A broken server stays broken: not worth another try.
FetchOutcome BadResponse() { return Failure("bad response from the server", false); }

}  // namespace

FetchOutcome TransferFailure(int curlCode, bool aborted, const FailureFacts& facts) {
  switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return Failure("could not resolve host", false);
    case CURLE_COULDNT_RESOLVE_PROXY:
      return Failure("could not resolve proxy", false);
    case CURLE_COULDNT_CONNECT:
      return Failure("could not connect", true);
    case CURLE_OPERATION_TIMEDOUT:
      return Failure("timed out", true);
    case CURLE_FILESIZE_EXCEEDED:
      return Failure("too large", false);
    case CURLE_WRITE_ERROR:
      return Failure("could not write the file", false);
    case CURLE_ABORTED_BY_CALLBACK:
      // Our own watch ends a transfer on Stop, or as a time-out when it trickles below the
      // rate floor (which of the two limits ends a stalled transfer first is a race).
      return aborted ? Failure("stopped", false) : Failure("timed out", true);
    case CURLE_GOT_NOTHING:
      return Failure("empty reply", true);
    case CURLE_PARTIAL_FILE:
      return Failure("cut short", true);
    case CURLE_RECV_ERROR:
      // libcurl says so too for a chunk size it cannot read.
      if (!facts.SocketError && facts.StatusRead) return BadResponse();
      return Failure("connection lost", true);
    case CURLE_SEND_ERROR:
      return Failure("connection lost", true);
    case CURLE_WEIRD_SERVER_REPLY:
      return BadResponse();
    case CURLE_OUT_OF_MEMORY:
      // libcurl's answer to a head past its limit; before any head it is our own memory.
      if (facts.StatusRead) return BadResponse();
      return Failure(curl_easy_strerror(CURLE_OUT_OF_MEMORY), false);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
      return Failure("secure connection failed", false);
    case CURLE_UNSUPPORTED_PROTOCOL:
      if (facts.HttpAddress) return BadResponse();
      return Failure("unsupported address", false);
    case CURLE_URL_MALFORMAT:
      return Failure(facts.OtherScheme ? "unsupported address" : "bad address", false);
    default:
      return Failure(curl_easy_strerror(static_cast<CURLcode>(curlCode)), false);
  }
}

FetchOutcome StatusFailure(long status, std::chrono::seconds retryAfter) {
  FetchOutcome outcome = Failure(StatusText(status),
                                 status == 408 || status == 429 || (status >= 500 && status < 600));
  outcome.RetryAfter = retryAfter;
  return outcome;
}

bool AsksForPause(const FetchOutcome& outcome) {
  // StatusFailure names the status by StatusText, whatever phrase the server sent.
  return !outcome.Ok && outcome.RetryAfter.count() > 0 &&
         (outcome.Reason == StatusText(429) || outcome.Reason == StatusText(503));
}

std::string StatusText(long status) {
  static constexpr std::pair<long, const char*> kPhrases[] = {
      {200, "OK"},
      {204, "No Content"},
      {206, "Partial Content"},
      {301, "Moved Permanently"},
      {302, "Found"},
      {303, "See Other"},
      {304, "Not Modified"},
      {307, "Temporary Redirect"},
      {308, "Permanent Redirect"},
      {400, "Bad Request"},
      {401, "Unauthorized"},
      {403, "Forbidden"},
      {404, "Not Found"},
      {405, "Method Not Allowed"},
      {406, "Not Acceptable"},
      {408, "Request Timeout"},
      {410, "Gone"},
      {416, "Range Not Satisfiable"},
      {429, "Too Many Requests"},
      {451, "Unavailable For Legal Reasons"},
      {500, "Internal Server Error"},
      {501, "Not Implemented"},
      {502, "Bad Gateway"},
      {503, "Service Unavailable"},
      {504, "Gateway Timeout"},
  };
  for (const auto& [code, phrase] : kPhrases) {
    if (code == status) return std::to_string(status) + " " + phrase;
  }
  return "HTTP " + std::to_string(status);
}

}  // namespace vexilo
