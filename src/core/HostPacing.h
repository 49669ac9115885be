#pragma once
// When the next request may go to a server while the crawl is polite: a pause of 1 s,
// drawn anew each time from 0.5 s to 1.5 s, after each request to one host (name and port),
// and no request until a Retry-After a server sent has passed. Shared by the page loads and
// the picture downloads. Main thread only.

#include <chrono>
#include <functional>
#include <string>
#include <unordered_map>

#include "core/Clock.h"

namespace vexilo {

class HostPacing {
 public:
  static constexpr std::chrono::milliseconds kShortestGap{500};
  static constexpr std::chrono::milliseconds kLongestGap{1500};
  // A server asking for more is waited for this long only.
  static constexpr std::chrono::minutes kLongestPause{10};

  // Draws a number from 0 to 1 (uniform); the machine's generator when none is given.
  using Random = std::function<double()>;

  // clock must outlive the pacing.
  explicit HostPacing(const Clock& clock = SteadyClock(), Random random = {});

  // The host key of address: host and port in lower case.
  static std::string HostKeyOf(const std::string& address);

  // The earliest time a request may go to host; a time past means now.
  Clock::TimePoint NextAllowed(const std::string& host) const;
  bool MaySendNow(const std::string& host) const;
  // A request went to host now: the next one waits the gap drawn here.
  void Sent(const std::string& host);
  // The server asked for a wait: nothing goes to host until then (at most kLongestPause).
  void Pause(const std::string& host, std::chrono::seconds retryAfter);

  const Clock& Time() const { return mClock; }

 private:
  // Nothing goes to host before time.
  void Later(const std::string& host, Clock::TimePoint time);

  const Clock& mClock;
  Random mRandom;
  std::unordered_map<std::string, Clock::TimePoint> mNext;  // hosts not listed may go now
};

}  // namespace vexilo
