#include "downloader/PictureRequest.h"

#include "core/TextRules.h"
#include "core/UrlUtils.h"

namespace vexilo {
namespace {

// By the host alone: SiteOf takes whatever follows an "@" anywhere in the address, so a
// query holding "@site.example" would otherwise pass a foreign host as the site's own.
std::string HostSite(const std::string& address) { return LowerAscii(SiteOf(HostOf(address))); }

}  // namespace

bool OnTaskSite(const std::string& startUrl, const std::string& url) {
  const std::string site = HostSite(startUrl);
  return !site.empty() && site == HostSite(url);
}

DownloadRequest PictureRequest(const AppSettings& settings, const BrowserSession* session,
                               const std::string& startUrl, const std::string& url,
                               const std::string& page, const std::string& savePath) {
  DownloadRequest request;
  request.Url = url;
  request.SavePath = savePath;
  if (OnTaskSite(startUrl, url)) {
    request.UserName = settings.AuthName;
    request.Password = settings.AuthPass;
  }
  request.ProxyServer = settings.ProxyServer;
  request.ProxyPort = settings.ProxyPort;
  request.FollowRedirects = settings.Advanced.FollowRedirects;
  request.KeepOnlyRealPictures = settings.Advanced.KeepOnlyRealPictures;
  request.Page = page;
  request.ServerDate = settings.Advanced.ServerDate;
  if (session != nullptr && settings.Advanced.BrowserSession) {
    request.Cookie = session->CookieHeaderFor(url);
    request.Referer = page;
    request.UserAgent = session->UserAgent();
  }
  return request;
}

}  // namespace vexilo
