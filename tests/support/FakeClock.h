#pragma once
// Clocks the test moves. The steady one starts at 0, as on a machine that booted a moment ago.

#include <atomic>

#include "core/Clock.h"

namespace vexilo::test {

class FakeClock final : public Clock {
 public:
  TimePoint Now() const override { return TimePoint(TimePoint::duration(mTicks.load())); }
  void Advance(TimePoint::duration by) { mTicks += by.count(); }

 private:
  std::atomic<TimePoint::rep> mTicks{0};
};

// A calendar clock the test moves, set at a day long past the epoch so that no time it gives
// can pass for "never".
class FakeWallClock final : public WallClock {
 public:
  static constexpr std::chrono::sys_days kStart{std::chrono::year{2026} / 1 / 15};

  TimePoint Now() const override { return TimePoint(TimePoint::duration(mTicks.load())); }
  void Advance(TimePoint::duration by) { mTicks += by.count(); }

 private:
  std::atomic<TimePoint::rep> mTicks{
      std::chrono::duration_cast<TimePoint::duration>(kStart.time_since_epoch()).count()};
};

}  // namespace vexilo::test
