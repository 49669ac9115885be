#include "downloader/RobotsFetch.h"

#include <curl/curl.h>

#include <memory>
#include <new>
#include <utility>

#include "downloader/CurlRequest.h"

namespace vexilo {
namespace {

using namespace std::chrono_literals;

struct Body {
  std::string Text;
  bool Full = false;  // reached kMostRobotsBytes: the rest is not read
};

size_t TakeBody(char* data, size_t size, size_t count, void* target) noexcept {
  auto& body = *static_cast<Body*>(target);
  const size_t total = size * count;
  const size_t room = kMostRobotsBytes - body.Text.size();
  try {
    body.Text.append(data, std::min(total, room));
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (total < room) return total;
  body.Full = true;
  return 0;  // ends the transfer: a hostile server could send for ever
}

int WatchAbort(void* abort, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(abort)->load() ? 1 : 0;
}

}  // namespace

RobotsRules FetchRobots(const std::string& origin, const std::string& proxyServer,
                        const std::string& proxyPort, const RobotsFetchLimits& limits,
                        const std::atomic<bool>& abort) {
  InitCurlOnce();
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                                 &curl_easy_cleanup);
  if (!curl) return RobotsRules::DisallowAll();
  DownloadRequest request;
  request.Url = origin + "/robots.txt";
  request.ProxyServer = proxyServer;
  request.ProxyPort = proxyPort;
  request.FollowRedirects = true;
  RedirectGuard guard;
  Body body;
  const long timeout = static_cast<long>(limits.Timeout.count());
  if (!ConfigurePictureRequest(curl.get(), request, guard) ||
      !SetCurlOption(curl.get(), CURLOPT_CONNECTTIMEOUT_MS, timeout) ||
      !SetCurlOption(curl.get(), CURLOPT_TIMEOUT_MS, timeout) ||
      !SetCurlOption(curl.get(), CURLOPT_WRITEFUNCTION, &TakeBody) ||
      !SetCurlOption(curl.get(), CURLOPT_WRITEDATA, static_cast<void*>(&body)) ||
      !SetCurlOption(curl.get(), CURLOPT_NOPROGRESS, 0L) ||
      !SetCurlOption(curl.get(), CURLOPT_XFERINFOFUNCTION, &WatchAbort) ||
      !SetCurlOption(curl.get(), CURLOPT_XFERINFODATA,
                     const_cast<void*>(static_cast<const void*>(&abort)))) {
    return RobotsRules::DisallowAll();
  }
  const CURLcode code = curl_easy_perform(curl.get());
  if (code != CURLE_OK && !(code == CURLE_WRITE_ERROR && body.Full)) {
    return RobotsRules::DisallowAll();  // unreachable: the RFC's complete disallow
  }
  long status = 0;
  if (curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) {
    return RobotsRules::DisallowAll();
  }
  if (status >= 200 && status < 300) return RobotsRules::Parse(body.Text);
  // A 429 asks for less, as a server error does; no robots.txt after the redirections
  // allowed, or any other client error, means there is none.
  if (status == 429 || status >= 500) return RobotsRules::DisallowAll();
  return RobotsRules();
}

RobotsCache::RobotsCache(const AppSettings& settings, HostPacing* pacing, RobotsFetchLimits limits)
    : mSettings(settings), mPacing(pacing), mLimits(limits) {}

RobotsCache::~RobotsCache() { mAbort.store(true); }

bool RobotsCache::Allows(const std::string& address, const KeepWaiting& keepWaiting) {
  const std::string origin = RobotsOriginOf(address);
  if (origin.empty()) return true;  // no site: nothing to ask
  if (const auto known = mKnown.find(origin); known != mKnown.end()) {
    return known->second.Allows(RobotsPathOf(address));
  }
  auto fetching = mFetching.find(origin);
  if (fetching == mFetching.end()) {
    fetching =
        mFetching
            .emplace(origin,
                     std::async(std::launch::async,
                                [origin, proxy = mSettings.ProxyServer, port = mSettings.ProxyPort,
                                 limits = mLimits, &abort = mAbort] {
                                  return FetchRobots(origin, proxy, port, limits, abort);
                                }))
            .first;
    if (mPacing != nullptr) mPacing->Sent(HostPacing::HostKeyOf(address));
  }
  std::future<RobotsRules>& rules = fetching->second;
  if (!keepWaiting) rules.wait();
  while (rules.wait_for(5ms) != std::future_status::ready) {
    if (!keepWaiting()) return false;  // the fetch goes on for the next ask
  }
  const RobotsRules& kept = mKnown[origin] = rules.get();
  mFetching.erase(fetching);
  return kept.Allows(RobotsPathOf(address));
}

}  // namespace vexilo
