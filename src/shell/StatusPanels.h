#pragma once
// The main window's status bar: panel 0 (200 pixels, picture counts), panel 1 (no width, so
// unseen: the selected picture's time), panel 2 (the rest: crawl and download progress), and
// the progress bar that shows while the picture grid is filled. Main thread only.

#include <string>

#include "core/StatusSink.h"

class QLabel;
class QProgressBar;
class QStatusBar;

namespace vexilo {

class TStatusPanels : public StatusSink {
 public:
  // Fills bar; its width now fixes where the progress bar sits from then on.
  explicit TStatusPanels(QStatusBar* bar);

  void SetStatusText(int panel, const std::string& text) override;
  std::string StatusText(int panel) const;

  QProgressBar* Progress() const { return mProgress; }

 private:
  QLabel* Panel(int panel) const;

  QLabel* mPanels[3];
  QProgressBar* mProgress;
};

}  // namespace vexilo
