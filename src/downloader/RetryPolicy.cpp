#include "downloader/RetryPolicy.h"

#include <algorithm>

namespace vexilo {

std::optional<std::chrono::milliseconds> RetryWait(const RetryPolicy& policy, int retry,
                                                   std::chrono::seconds retryAfter) {
  if (retry < 1 || retry > static_cast<int>(policy.Waits.size())) return std::nullopt;
  if (retryAfter.count() > 0) {
    return std::min<std::chrono::milliseconds>(retryAfter, policy.LongestRetryAfter);
  }
  return policy.Waits[static_cast<std::size_t>(retry - 1)];
}

}  // namespace vexilo
