#pragma once
// One transfer's share of the download speed cap, as a bucket of bytes that fills at the
// share's rate: a write that finds it empty pauses the transfer until it has filled again.
// Driven by the transfer thread only.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/Clock.h"

namespace vexilo {

class TransferRate {
 public:
  // Bytes a second from now on; 0 for no limit.
  void SetShare(std::uint64_t bytesPerSecond, Clock::TimePoint now);
  // bytes arrived now: true when they may be taken (the bucket may go into debt by them),
  // false when the transfer must pause first.
  bool Take(std::size_t bytes, Clock::TimePoint now);
  // After a false Take, until the next Take.
  bool Paused() const { return mPaused; }
  // When a paused transfer may go on: once the bucket is no longer empty; now when not paused.
  Clock::TimePoint ResumeAt(Clock::TimePoint now) const;

 private:
  void Fill(Clock::TimePoint now);

  std::uint64_t mShare = 0;
  double mBytes = 1;  // what may come now; below 1 the next write waits
  std::optional<Clock::TimePoint> mFilled;
  bool mPaused = false;
};

}  // namespace vexilo
