#include "platform/QtDownloadTimer.h"

#include <utility>

namespace vexilo {

QtDownloadTimer::QtDownloadTimer(std::function<void()> tick) : mTick(std::move(tick)) {
  mTimer.setInterval(kIntervalMs);
  QObject::connect(&mTimer, &QTimer::timeout, &mTimer, [this] { mTick(); });
}

void QtDownloadTimer::SetEnabled(bool enabled) {
  if (enabled && !mTimer.isActive()) {
    mTimer.start();
  } else if (!enabled) {
    mTimer.stop();
  }
}

}  // namespace vexilo
