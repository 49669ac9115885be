#pragma once
// The scheduler's 500 ms timer. The main window backs it with a QTimer whose timeout calls
// DownloadScheduler::Tick(); tests call Tick() themselves. Main thread only.

namespace vexilo {

class DownloadTimer {
 public:
  virtual ~DownloadTimer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
};

}  // namespace vexilo
