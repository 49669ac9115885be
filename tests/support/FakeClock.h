#pragma once
// A clock the test moves. It starts at 0, as on a machine that booted a moment ago.

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

}  // namespace vexilo::test
