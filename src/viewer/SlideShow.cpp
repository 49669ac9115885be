#include "viewer/SlideShow.h"

#include <algorithm>
#include <numeric>

namespace vexilo {

void SlideShow::Start(int count, int current, std::chrono::milliseconds every, bool shuffled,
                      std::uint32_t seed) {
  mRunning = count > 1;
  mShuffled = shuffled;
  mEvery = std::max(every, std::chrono::milliseconds(100));
  mNextChange = mClock.Now() + mEvery;
  mCurrent = current;
  mOrder.clear();
  mRandom.seed(seed);
}

std::optional<int> SlideShow::Due(int count) {
  if (!mRunning || count < 1 || mClock.Now() < mNextChange) return std::nullopt;
  // A slow picture must not make the next ones rush to catch up.
  mNextChange += mEvery;
  if (mNextChange <= mClock.Now()) mNextChange = mClock.Now() + mEvery;
  mCurrent = NextPosition(count);
  return mCurrent;
}

int SlideShow::NextPosition(int count) {
  if (!mShuffled) return mCurrent < 0 || mCurrent + 1 >= count ? 0 : mCurrent + 1;
  std::erase_if(mOrder, [count](int position) { return position >= count; });
  if (mOrder.empty()) {
    mOrder.resize(static_cast<std::size_t>(count));
    std::iota(mOrder.begin(), mOrder.end(), 0);
    std::shuffle(mOrder.begin(), mOrder.end(), mRandom);
    // Never the picture shown now twice in a row across two rounds.
    if (count > 1 && mOrder.back() == mCurrent) std::swap(mOrder.front(), mOrder.back());
  }
  const int next = mOrder.back();
  mOrder.pop_back();
  return next;
}

}  // namespace vexilo
