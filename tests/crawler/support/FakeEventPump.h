#pragma once
// An EventPump whose clock moves only when events are pumped: each ProcessEvents advances
// it by one step and then runs what the test scheduled for that moment.

#include <functional>
#include <vector>

#include "core/EventPump.h"

namespace vexilo::test {

class FakeEventPump : public EventPump {
 public:
  static constexpr Clock::duration kStep = std::chrono::milliseconds(20);

  void ProcessEvents() override {
    mNow += kStep;
    ++mPumpCount;
    for (auto& action : mOnPump) action();
  }
  Clock::time_point Now() override { return mNow; }

  // Seconds since the start of the test.
  double Elapsed() const {
    return std::chrono::duration<double>(mNow - Clock::time_point{}).count();
  }
  // Runs action after every pump from now on.
  void OnPump(std::function<void()> action) { mOnPump.push_back(std::move(action)); }
  long PumpCount() const { return mPumpCount; }

 private:
  Clock::time_point mNow{};
  long mPumpCount = 0;
  std::vector<std::function<void()>> mOnPump;
};

}  // namespace vexilo::test
