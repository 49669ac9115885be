#pragma once
// The wallpaper setter of the running desktop: the commands of DesktopWallpaper, each run as a
// process of its own without a shell, with a short time-out. Main thread only.

#include <chrono>

#include "viewer/WallpaperSetter.h"

namespace vexilo {

class ProcessWallpaperSetter : public WallpaperSetter {
 public:
  // timeout bounds each command: a desktop that hangs must not freeze the viewer for long.
  explicit ProcessWallpaperSetter(std::chrono::milliseconds timeout = std::chrono::seconds(5))
      : mTimeout(timeout) {}
  void SetWallpaper(const std::string& bmpPath) override;

 private:
  std::chrono::milliseconds mTimeout;
};

}  // namespace vexilo
