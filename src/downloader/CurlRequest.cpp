#include "downloader/CurlRequest.h"

#include <cstdint>

#include "core/TextRules.h"

namespace vexilo {
namespace {

const std::string& UserAgent() {
  static const std::string agent =
      std::string("Vexilo libcurl/") + curl_version_info(CURLVERSION_NOW)->version;
  return agent;
}

template <typename Value>
bool Set(CURL* curl, CURLoption option, Value value) {
  return curl_easy_setopt(curl, option, value) == CURLE_OK;
}

}  // namespace

std::optional<ProxyAddress> ProxyFor(const std::string& server, const std::string& port) {
  if (server.empty() || port.empty()) return std::nullopt;
  const std::optional<std::int32_t> number = ParseWholeNumber(port);
  const bool usable = number && *number >= 1 && *number <= 65535;
  return ProxyAddress{server, usable ? long{*number} : 80L};
}

void InitCurlOnce() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
}

bool ConfigurePictureRequest(CURL* curl, const DownloadRequest& request) {
  bool ok = Set(curl, CURLOPT_URL, request.Url.c_str()) &&
            Set(curl, CURLOPT_PROTOCOLS_STR, "http,https") &&
            Set(curl, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_1}) &&
            Set(curl, CURLOPT_USERAGENT, UserAgent().c_str()) &&
            Set(curl, CURLOPT_FOLLOWLOCATION, 0L) && Set(curl, CURLOPT_NOSIGNAL, 1L);
  if (ok && !request.UserName.empty()) {
    ok = Set(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)) &&
         Set(curl, CURLOPT_USERNAME, request.UserName.c_str()) &&
         Set(curl, CURLOPT_PASSWORD, request.Password.c_str());
  }
  if (!ok) return false;
  // An empty proxy also keeps libcurl from taking one from the environment.
  const std::optional<ProxyAddress> proxy = ProxyFor(request.ProxyServer, request.ProxyPort);
  if (!proxy) return Set(curl, CURLOPT_PROXY, "");
  return Set(curl, CURLOPT_PROXY, proxy->Host.c_str()) &&
         Set(curl, CURLOPT_PROXYPORT, proxy->Port) &&
         Set(curl, CURLOPT_PROXYTYPE, long{CURLPROXY_HTTP}) && Set(curl, CURLOPT_NOPROXY, "");
}

}  // namespace vexilo
