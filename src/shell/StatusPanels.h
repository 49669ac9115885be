#pragma once
// The main window's status bar: the count panel (200 pixels), the time panel (no width, so
// unseen), the progress panel (the rest: crawl and download progress), each named so, and
// the progress bar that shows while the picture grid is filled. Main thread only.

#include <string>

#include "core/StatusSink.h"

class QLabel;
class QProgressBar;
class QStatusBar;

namespace vexilo {

class TStatusPanels : public StatusSink {
 public:
  // Fills bar. The progress bar sits where the bar's right end is at the window's design
  // width, barWidth, and stays there when the window is resized.
  TStatusPanels(QStatusBar* bar, int barWidth);

  void SetStatusText(int panel, const std::string& text) override;
  std::string StatusText(int panel) const override;

  QProgressBar* Progress() const { return mProgress; }

 private:
  QLabel* Panel(int panel) const;

  QLabel* mPanels[kStatusPanelCount];
  QProgressBar* mProgress;
};

}  // namespace vexilo
