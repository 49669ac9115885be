#pragma once
// Monotonic time for the rules that depend on it: download hand-outs, retry waits and the
// transfer rate floor. Tests hand in a clock they set, so that no rule assumes how long the
// machine has been up. Now() may be called from any thread.

#include <chrono>

namespace vexilo {

class Clock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  virtual ~Clock() = default;
  virtual TimePoint Now() const = 0;
};

// The machine's steady clock; lives for the whole process.
const Clock& SteadyClock();

// The calendar time for what is kept across runs (when the archive first saw a picture).
class WallClock {
 public:
  using TimePoint = std::chrono::system_clock::time_point;

  virtual ~WallClock() = default;
  virtual TimePoint Now() const = 0;
};

// The machine's calendar clock; lives for the whole process.
const WallClock& SystemWallClock();

}  // namespace vexilo
