#include "downloader/CurlRequest.h"

#include <cstdint>

#include "core/TextRules.h"
#include "core/UrlUtils.h"

namespace vexilo {
namespace {

const std::string& UserAgent() {
  static const std::string agent =
      std::string("Vexilo libcurl/") + curl_version_info(CURLVERSION_NOW)->version;
  return agent;
}

// libcurl sends no such header for a null option.
const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

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

int RedirectGuard::BeforeRequest(void* self, char*, char*, int, int) {
  auto& guard = *static_cast<RedirectGuard*>(self);
  // Moved on to the next hop's address before its connection is made.
  const char* url = nullptr;
  if (curl_easy_getinfo(guard.mCurl, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || url == nullptr) {
    return CURL_PREREQFUNC_ABORT;
  }
  return guard.Allows(url) ? CURL_PREREQFUNC_OK : CURL_PREREQFUNC_ABORT;
}

bool RedirectGuard::Allows(std::string_view url) {
  const bool secure = LowerAscii(url).starts_with("https:");
  if (!secure && mWentSecure) return false;
  if (!mCookieHost.empty() && LowerAscii(HostOf(url)) != mCookieHost) return false;
  mWentSecure = mWentSecure || secure;
  return true;
}

bool ConfigurePictureRequest(CURL* curl, const DownloadRequest& request, RedirectGuard& guard) {
  guard.Attach(curl, request.Cookie.empty() ? "" : LowerAscii(HostOf(request.Url)));
  const bool follow = request.FollowRedirects;
  bool ok = SetCurlOption(curl, CURLOPT_URL, request.Url.c_str()) &&
            SetCurlOption(curl, CURLOPT_PROTOCOLS_STR, "http,https") &&
            SetCurlOption(curl, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_1}) &&
            SetCurlOption(curl, CURLOPT_USERAGENT,
                          (request.UserAgent.empty() ? UserAgent() : request.UserAgent).c_str()) &&
            SetCurlOption(curl, CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L) &&
            SetCurlOption(curl, CURLOPT_MAXREDIRS, kMostRedirects) &&
            SetCurlOption(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") &&
            // Never the credentials to another host, port or scheme a redirection leads to.
            SetCurlOption(curl, CURLOPT_UNRESTRICTED_AUTH, 0L) &&
            SetCurlOption(curl, CURLOPT_PREREQFUNCTION,
                          follow ? &RedirectGuard::BeforeRequest
                                 : static_cast<curl_prereq_callback>(nullptr)) &&
            SetCurlOption(curl, CURLOPT_PREREQDATA, static_cast<void*>(&guard)) &&
            SetCurlOption(curl, CURLOPT_NOSIGNAL, 1L);
  if (ok && !request.UserName.empty()) {
    ok = SetCurlOption(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)) &&
         SetCurlOption(curl, CURLOPT_USERNAME, request.UserName.c_str()) &&
         SetCurlOption(curl, CURLOPT_PASSWORD, request.Password.c_str());
  }
  ok = ok && SetCurlOption(curl, CURLOPT_COOKIE, OrNull(request.Cookie)) &&
       SetCurlOption(curl, CURLOPT_REFERER, OrNull(request.Referer));
  if (!ok) return false;
  // An empty proxy also keeps libcurl from taking one from the environment.
  const std::optional<ProxyAddress> proxy = ProxyFor(request.ProxyServer, request.ProxyPort);
  if (!proxy) return SetCurlOption(curl, CURLOPT_PROXY, "");
  return SetCurlOption(curl, CURLOPT_PROXY, proxy->Host.c_str()) &&
         SetCurlOption(curl, CURLOPT_PROXYPORT, proxy->Port) &&
         SetCurlOption(curl, CURLOPT_PROXYTYPE, long{CURLPROXY_HTTP}) &&
         SetCurlOption(curl, CURLOPT_NOPROXY, "");
}

}  // namespace vexilo
