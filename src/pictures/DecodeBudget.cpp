#include "pictures/DecodeBudget.h"

#include <algorithm>

namespace vexilo {

DecodeBudget& DecodeBudget::Shared() {
  static DecodeBudget budget(kSharedPixels);
  return budget;
}

void DecodeBudget::Acquire(std::int64_t pixels) {
  pixels = std::max<std::int64_t>(pixels, 0);
  std::unique_lock lock(mMutex);
  const std::uint64_t ticket = mNextTicket++;
  mChanged.wait(lock,
                [&] { return ticket == mServing && (mHeld == 0 || mHeld + pixels <= mCapacity); });
  ++mServing;
  mHeld += pixels;
  mPeak = std::max(mPeak, mHeld);
  lock.unlock();
  // The next in line may fit beside this one.
  mChanged.notify_all();
}

void DecodeBudget::Release(std::int64_t pixels) {
  {
    std::lock_guard lock(mMutex);
    mHeld -= std::max<std::int64_t>(pixels, 0);
  }
  mChanged.notify_all();
}

std::int64_t DecodeBudget::Held() const {
  std::lock_guard lock(mMutex);
  return mHeld;
}

std::int64_t DecodeBudget::PeakHeld() const {
  std::lock_guard lock(mMutex);
  return mPeak;
}

int DecodeBudget::Waiting() const {
  std::lock_guard lock(mMutex);
  return static_cast<int>(mNextTicket - mServing);
}

DecodeLease::~DecodeLease() {
  if (mBudget && mHeld > 0) mBudget->Release(mHeld);
}

void DecodeLease::Take(std::int64_t pixels) {
  if (!mBudget || pixels <= 0) return;
  mBudget->Acquire(pixels);
  mHeld += pixels;
}

}  // namespace vexilo
