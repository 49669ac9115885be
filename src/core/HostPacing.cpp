#include "core/HostPacing.h"

#include <algorithm>
#include <random>

#include "core/TextRules.h"
#include "core/UrlUtils.h"

namespace vexilo {

HostPacing::HostPacing(const Clock& clock, Random random)
    : mClock(clock), mRandom(std::move(random)) {
  if (!mRandom) {
    mRandom = [engine = std::minstd_rand(std::random_device{}())]() mutable {
      return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
    };
  }
}

std::string HostPacing::HostKeyOf(const std::string& address) {
  return LowerAscii(HostOf(address));
}

Clock::TimePoint HostPacing::NextAllowed(const std::string& host) const {
  const auto found = mNext.find(host);
  return found == mNext.end() ? mClock.Now() : found->second;
}

bool HostPacing::MaySendNow(const std::string& host) const {
  const auto found = mNext.find(host);
  return found == mNext.end() || found->second <= mClock.Now();
}

void HostPacing::Sent(const std::string& host) {
  const double share = std::clamp(mRandom(), 0.0, 1.0);
  const auto gap = kShortestGap + std::chrono::duration_cast<std::chrono::milliseconds>(
                                      (kLongestGap - kShortestGap) * share);
  Later(host, mClock.Now() + gap);
}

void HostPacing::Pause(const std::string& host, std::chrono::seconds retryAfter) {
  if (retryAfter.count() <= 0) return;
  const auto wait = std::min<std::chrono::seconds>(retryAfter, kLongestPause);
  Later(host, mClock.Now() + wait);
}

void HostPacing::Later(const std::string& host, Clock::TimePoint time) {
  // A pause asked for by the server outlasts the gap after a request.
  const auto [entry, added] = mNext.try_emplace(host, time);
  if (!added) entry->second = std::max(entry->second, time);
}

}  // namespace vexilo
