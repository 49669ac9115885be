#include "pictures/PictureReading.h"

#include <atomic>

namespace vexilo {

namespace {

// Each flag is read on its own, so two atomics do; no decode needs both at one instant.
std::atomic<bool> gModernKinds{PictureReading{}.ModernKinds};
std::atomic<bool> gExifOrientation{PictureReading{}.ExifOrientation};

}  // namespace

void SetPictureReading(PictureReading reading) {
  gModernKinds.store(reading.ModernKinds, std::memory_order_relaxed);
  gExifOrientation.store(reading.ExifOrientation, std::memory_order_relaxed);
}

PictureReading CurrentPictureReading() {
  PictureReading reading;
  reading.ModernKinds = gModernKinds.load(std::memory_order_relaxed);
  reading.ExifOrientation = gExifOrientation.load(std::memory_order_relaxed);
  return reading;
}

ScopedPictureReading::ScopedPictureReading(PictureReading reading)
    : mPrevious(CurrentPictureReading()) {
  SetPictureReading(reading);
}

ScopedPictureReading::~ScopedPictureReading() { SetPictureReading(mPrevious); }

}  // namespace vexilo
