#pragma once
// The desktop as "Set Wallpaper" needs it. Main thread only.

#include <string>

namespace vexilo {

class WallpaperSetter {
 public:
  virtual ~WallpaperSetter() = default;
  // Makes the BMP file the centred desktop wallpaper at once. A desktop that refuses is not
  // reported: the command ends silently.
  virtual void SetWallpaper(const std::string& bmpPath) = 0;
};

}  // namespace vexilo
