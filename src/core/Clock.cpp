#include "core/Clock.h"

namespace vexilo {
namespace {

class MachineClock final : public Clock {
 public:
  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
};

class MachineWallClock final : public WallClock {
 public:
  TimePoint Now() const override { return std::chrono::system_clock::now(); }
};

}  // namespace

const Clock& SteadyClock() {
  static const MachineClock clock;
  return clock;
}

const WallClock& SystemWallClock() {
  static const MachineWallClock clock;
  return clock;
}

}  // namespace vexilo
