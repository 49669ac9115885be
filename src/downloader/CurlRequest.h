#pragma once
// What every request to a picture's server has in common, downloads and size probes alike:
// the same user agent, the proxy and credentials of the settings, HTTP(S) only, no
// redirections followed, no cookies and no Referer unless the request carries the browser's
// session. Any thread.

#include <curl/curl.h>

#include <optional>
#include <string>

#include "downloader/DownloadRequest.h"

namespace vexilo {

struct ProxyAddress {
  std::string Host;
  long Port = 80;

  bool operator==(const ProxyAddress&) const = default;
};

// The proxy a download goes through: only when host and port are both set; a port that
// is not a whole number from 1 to 65535 means 80.
std::optional<ProxyAddress> ProxyFor(const std::string& server, const std::string& port);

template <typename Value>
bool SetCurlOption(CURL* curl, CURLoption option, Value value) {
  return curl_easy_setopt(curl, option, value) == CURLE_OK;
}

// libcurl's global set-up, done once before the first handle is made.
void InitCurlOnce();

// Sets the address, protocol, user agent, credential, proxy, cookie and referer options of
// request on curl; false when libcurl refuses one of them.
bool ConfigurePictureRequest(CURL* curl, const DownloadRequest& request);

}  // namespace vexilo
