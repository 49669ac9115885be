#pragma once
// The three text panels of the main window's status bar. Main thread only.

#include <string>

namespace vexilo {

// The panels by what they show.
inline constexpr int kCountPanel = 0;     // picture counts of the listings and the selection
inline constexpr int kTimePanel = 1;      // the selected picture's file time
inline constexpr int kProgressPanel = 2;  // crawl and download progress
inline constexpr int kStatusPanelCount = 3;

class StatusSink {
 public:
  virtual ~StatusSink() = default;
  // panel is kCountPanel, kTimePanel or kProgressPanel.
  virtual void SetStatusText(int panel, const std::string& text) = 0;
  // The panel's text, where the sink keeps it.
  virtual std::string StatusText(int /*panel*/) const { return {}; }
};

}  // namespace vexilo
