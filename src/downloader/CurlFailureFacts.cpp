#include "downloader/CurlFailureFacts.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "core/TextRules.h"

namespace vexilo {
namespace {

// "scheme:" as RFC 3986 spells it: a letter, then letters, digits, "+", "-" or ".". A host
// and port without a scheme ("example.com:80/") reads as one too, and is as unusable.
bool NamesScheme(std::string_view url) {
  const std::size_t colon = url.find(':');
  if (colon == 0 || colon == std::string_view::npos ||
      !std::isalpha(static_cast<unsigned char>(url[0]))) {
    return false;
  }
  return std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
  });
}

}  // namespace

FailureFacts FailureFactsOf(CURL* curl) {
  FailureFacts facts;
  // After a followed redirection this is the address libcurl refused, not the first one.
  const char* url = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &url) == CURLE_OK && url != nullptr) {
    const std::string lower = LowerAscii(url);
    facts.HttpAddress = lower.starts_with("http://") || lower.starts_with("https://");
    facts.OtherScheme = !facts.HttpAddress && NamesScheme(lower);
  }
  long status = 0;
  facts.StatusRead =
      curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status != 0;
  long osError = 0;
  facts.SocketError =
      curl_easy_getinfo(curl, CURLINFO_OS_ERRNO, &osError) == CURLE_OK && osError != 0;
  return facts;
}

}  // namespace vexilo
