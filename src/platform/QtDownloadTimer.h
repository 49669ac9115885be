#pragma once
// The download timer on a QTimer: while enabled, calls tick every 500 ms on the main thread.

#include <QTimer>
#include <functional>

#include "downloader/DownloadTimer.h"

namespace vexilo {

class QtDownloadTimer : public DownloadTimer {
 public:
  static constexpr int kIntervalMs = 500;

  explicit QtDownloadTimer(std::function<void()> tick);

  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return mTimer.isActive(); }

 private:
  QTimer mTimer;
  std::function<void()> mTick;
};

}  // namespace vexilo
