#pragma once
// A desktop that only remembers which files it was handed, in order.

#include <string>
#include <vector>

#include "viewer/WallpaperSetter.h"

namespace vexilo::test {

class RecordingWallpaperSetter : public WallpaperSetter {
 public:
  void SetWallpaper(const std::string& bmpPath) override { Files.push_back(bmpPath); }
  std::vector<std::string> Files;
};

}  // namespace vexilo::test
