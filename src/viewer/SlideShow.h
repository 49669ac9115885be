#pragma once
// The viewer's slide show: the next picture every so many seconds, in the list's order or
// shuffled, wrapping at the end as the Next step does. Shuffled, a round goes through every
// picture once, and no picture comes twice in a row. Time comes from the clock seam; the
// window asks Due() often.
// Main thread only.

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "core/Clock.h"

namespace vexilo {

class SlideShow {
 public:
  explicit SlideShow(const Clock& clock = SteadyClock()) : mClock(clock) {}

  // From the picture at `current` of `count` on; the first change comes `every` from now.
  void Start(int count, int current, std::chrono::milliseconds every, bool shuffled,
             std::uint32_t seed = std::random_device{}());
  void Stop() { mRunning = false; }
  bool Running() const { return mRunning; }

  // The position to show now when its time has come, else nothing. A list that changed its
  // length since Start is taken as it is now.
  std::optional<int> Due(int count);

 private:
  int NextPosition(int count);

  const Clock& mClock;
  bool mRunning = false;
  bool mShuffled = false;
  std::chrono::milliseconds mEvery{};
  Clock::TimePoint mNextChange{};
  int mCurrent = 0;
  std::vector<int> mOrder;  // shuffled: the positions still to come this round, last first
  std::mt19937 mRandom;
};

}  // namespace vexilo
