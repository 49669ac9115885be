#pragma once
// Lets pending window events run while the logic waits, and reads the clock the waits use.
// Main thread only.

#include <chrono>

namespace vexilo {

class EventPump {
 public:
  using Clock = std::chrono::steady_clock;

  virtual ~EventPump() = default;
  // Runs the events that are pending; when none is, blocks until one arrives or about
  // 20 ms pass, so that a polling wait does not burn a core.
  virtual void ProcessEvents() = 0;
  virtual Clock::time_point Now() = 0;
};

}  // namespace vexilo
