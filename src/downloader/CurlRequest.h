#pragma once
// What every request to a picture's server has in common, downloads and size probes alike:
// the same user agent, the proxy and credentials of the settings, HTTP(S) only, redirections
// followed only when the request says so, no cookies and no Referer unless the request carries
// the browser's session. Any thread.

#include <curl/curl.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

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

// Refuses a redirection from https back to plain http, and one to another host when the
// request carries the browser's cookies, which were chosen for its first host. libcurl's list
// of protocols holds for every hop alike, so each hop is judged once its connection stands,
// before its request goes out. Must outlive the transfer it is given to.
class RedirectGuard {
 public:
  // cookieHost: the host the request's cookies belong to, or "" when it carries none.
  void Attach(CURL* curl, std::string cookieHost = "") {
    mCurl = curl;
    mCookieHost = std::move(cookieHost);
  }
  // Judges the next hop by its address: false for plain http once a hop was https, and for
  // another host than the cookies'.
  bool Allows(std::string_view url);

  // libcurl's CURLOPT_PREREQFUNCTION.
  static int BeforeRequest(void* self, char* remoteIp, char* localIp, int remotePort,
                           int localPort);

 private:
  CURL* mCurl = nullptr;
  std::string mCookieHost;
  bool mWentSecure = false;
};

// Sets the address, protocol, redirection, user agent, credential, proxy, cookie and referer
// options of request on curl (a handle fresh or reset); false when libcurl refuses one of them.
bool ConfigurePictureRequest(CURL* curl, const DownloadRequest& request, RedirectGuard& guard);

}  // namespace vexilo
