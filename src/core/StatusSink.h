#pragma once
// The three text panels of the main window's status bar. Main thread only.

#include <string>

namespace vexilo {

class StatusSink {
 public:
  virtual ~StatusSink() = default;
  // panel is 0, 1 or 2.
  virtual void SetStatusText(int panel, const std::string& text) = 0;
};

}  // namespace vexilo
