#include "downloader/TransferRate.h"

#include <algorithm>
#include <chrono>

namespace vexilo {

void TransferRate::SetShare(std::uint64_t bytesPerSecond, Clock::TimePoint now) {
  Fill(now);
  mShare = bytesPerSecond;
}

bool TransferRate::Take(std::size_t bytes, Clock::TimePoint now) {
  mPaused = false;
  if (mShare == 0) return true;
  Fill(now);
  if (mBytes < 1) {
    mPaused = true;
    return false;
  }
  mBytes -= static_cast<double>(bytes);
  return true;
}

Clock::TimePoint TransferRate::ResumeAt(Clock::TimePoint now) const {
  if (!mPaused || mShare == 0 || !mFilled || mBytes >= 1) return now;
  const std::chrono::duration<double> wait((1 - mBytes) / static_cast<double>(mShare));
  return *mFilled + std::chrono::duration_cast<std::chrono::steady_clock::duration>(wait);
}

void TransferRate::Fill(Clock::TimePoint now) {
  if (mFilled && mShare > 0) {
    const double seconds = std::chrono::duration<double>(now - *mFilled).count();
    // A quarter second's worth at most: a transfer that waited gets no burst for it.
    mBytes = std::min(mBytes + seconds * static_cast<double>(mShare),
                      std::max(1.0, static_cast<double>(mShare) / 4));
  }
  mFilled = now;
}

}  // namespace vexilo
