#pragma once
// Bounds the pixels that thumbnail decodes hold at once, shared by the thumbnail maker's
// threads and the download workers, so that memory follows the pictures' sizes rather than
// the number of cores. A decode asks for its pixels once it knows its size from the header
// and before it allocates them; a request larger than the whole budget waits until nothing
// else is held and then runs alone. Requests are admitted in the order they arrive, so a
// large one is not starved by a stream of small ones. Any thread.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace vexilo {

class DecodeBudget {
 public:
  // 64 megapixels: about 192 MB of 24-bit pixels, room for every core decoding a web picture
  // of a few megapixels at once, while huge pictures and bombs decode a few at a time.
  static constexpr std::int64_t kSharedPixels = 64'000'000;

  explicit DecodeBudget(std::int64_t pixels) : mCapacity(pixels) {}
  DecodeBudget(const DecodeBudget&) = delete;
  DecodeBudget& operator=(const DecodeBudget&) = delete;

  // The one budget of the process, of kSharedPixels.
  static DecodeBudget& Shared();

  // Waits until `pixels` may be held beside what is held already. Pair with Release.
  void Acquire(std::int64_t pixels);
  void Release(std::int64_t pixels);

  std::int64_t Capacity() const { return mCapacity; }
  std::int64_t Held() const;
  // The most ever held at once.
  std::int64_t PeakHeld() const;
  // Requests waiting in Acquire.
  int Waiting() const;

 private:
  const std::int64_t mCapacity;
  mutable std::mutex mMutex;
  std::condition_variable mChanged;
  std::int64_t mHeld = 0;
  std::int64_t mPeak = 0;
  std::uint64_t mNextTicket = 0;
  std::uint64_t mServing = 0;
};

// The share of a budget one decode holds, given back when the lease goes: declare it before
// the pictures it pays for, so that they are freed first. A lease without a budget holds
// nothing. One thread.
class DecodeLease {
 public:
  DecodeLease() = default;
  explicit DecodeLease(DecodeBudget& budget) : mBudget(&budget) {}
  ~DecodeLease();
  DecodeLease(const DecodeLease&) = delete;
  DecodeLease& operator=(const DecodeLease&) = delete;

  // Before allocating `pixels` (a count of 3-byte pixels, or their equivalent in bytes):
  // waits for the budget and holds them until the lease goes. Once per decode: a second
  // Take that does not fit would wait for the first, which only the lease gives back.
  void Take(std::int64_t pixels);

 private:
  DecodeBudget* mBudget = nullptr;
  std::int64_t mHeld = 0;
};

}  // namespace vexilo
