#pragma once
// What every request to a picture's server has in common, downloads and size probes alike:
// the same user agent, the proxy and credentials of the settings, HTTP(S) only, redirections
// followed only when the request says so, no cookies. Any thread.

#include <curl/curl.h>

#include <optional>
#include <string>
#include <string_view>

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

// Refuses a redirection from https back to plain http. libcurl's list of protocols holds for
// every hop alike, so each hop is judged once its connection stands, before its request goes
// out. Must outlive the transfer it is given to.
class RedirectGuard {
 public:
  void Attach(CURL* curl) { mCurl = curl; }
  // Judges the next hop by its address: false for plain http once a hop was https.
  bool Allows(std::string_view url);

  // libcurl's CURLOPT_PREREQFUNCTION.
  static int BeforeRequest(void* self, char* remoteIp, char* localIp, int remotePort,
                           int localPort);

 private:
  CURL* mCurl = nullptr;
  bool mWentSecure = false;
};

// Sets the address, protocol, redirection, user agent, credential and proxy options of
// request on curl (a handle fresh or reset); false when libcurl refuses one of them.
bool ConfigurePictureRequest(CURL* curl, const DownloadRequest& request, RedirectGuard& guard);

}  // namespace vexilo
