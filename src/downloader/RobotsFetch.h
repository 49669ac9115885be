#pragma once
// A site's robots.txt, fetched with libcurl as the downloads are (user agent, proxy), and the
// cache the polite crawl asks: each site's file once a crawl, fetched on a thread of its own.

#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <string>

#include "core/AppSettings.h"
#include "core/HostPacing.h"
#include "core/RobotsCheck.h"
#include "core/RobotsRules.h"

namespace vexilo {

struct RobotsFetchLimits {
  std::chrono::milliseconds Timeout{20000};  // connecting and the whole transfer
};

// The rules of origin's robots.txt (origin as RobotsOriginOf gives it), following up to 5
// redirections: a 2xx is parsed (its first kMostRobotsBytes), any other 4xx allows all;
// a 429, a 5xx, or a site that cannot be reached forbids all. Any thread; abort ends it
// within about a second, forbidding all.
RobotsRules FetchRobots(const std::string& origin, const std::string& proxyServer,
                        const std::string& proxyPort, const RobotsFetchLimits& limits,
                        const std::atomic<bool>& abort);

class RobotsCache final : public RobotsCheck {
 public:
  // settings (for the proxy) and pacing (null: none), which counts each robots.txt request
  // as one to its host, must outlive the cache.
  explicit RobotsCache(const AppSettings& settings, HostPacing* pacing = nullptr,
                       RobotsFetchLimits limits = {});
  // Ends the fetches still running and waits for them.
  ~RobotsCache() override;
  RobotsCache(const RobotsCache&) = delete;
  RobotsCache& operator=(const RobotsCache&) = delete;

  bool Allows(const std::string& address, const KeepWaiting& keepWaiting) override;
  void Forget() override { mKnown.clear(); }

 private:
  const AppSettings& mSettings;
  HostPacing* mPacing;
  RobotsFetchLimits mLimits;
  std::atomic<bool> mAbort{false};            // before the fetches, which read it until they end
  std::map<std::string, RobotsRules> mKnown;  // by origin
  std::map<std::string, std::future<RobotsRules>> mFetching;  // by origin
};

}  // namespace vexilo
