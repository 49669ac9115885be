#pragma once
// When a transient download failure is fetched again: up to three more tries after growing
// waits, or after the wait the server asks for. Tests shorten the waits.

#include <array>
#include <chrono>
#include <optional>

namespace vexilo {

struct RetryPolicy {
  // Before the first, second and third retry.
  std::array<std::chrono::milliseconds, 3> Waits{std::chrono::seconds(2), std::chrono::seconds(8),
                                                 std::chrono::seconds(30)};
  // A server's Retry-After is honoured up to this; a longer one is cut to it.
  std::chrono::milliseconds LongestRetryAfter{std::chrono::minutes(5)};
};

// The wait before retry number `retry` (from 1), or nothing once the retries are used up. A
// Retry-After above 0 takes the place of the policy's wait.
std::optional<std::chrono::milliseconds> RetryWait(const RetryPolicy& policy, int retry,
                                                   std::chrono::seconds retryAfter);

}  // namespace vexilo
