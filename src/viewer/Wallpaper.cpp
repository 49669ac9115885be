#include "viewer/Wallpaper.h"

#include <cstdint>
#include <exception>

#include "pictures/BmpWriter.h"
#include "pictures/DecodePicture.h"
#include "viewer/stretch.h"

namespace vexilo {

WallpaperFit FitWallpaper(int width, int height, int screenWidth, int screenHeight) {
  const std::int64_t w = width, h = height, sw = screenWidth, sh = screenHeight;
  if (w == sw && h == sh) return {};
  const bool sameShape = h * sw == w * sh;
  if (w <= sw && h <= sh && !sameShape) return {};  // the desktop centres it
  if (sameShape) return {true, screenWidth, screenHeight};
  // A sliver (1 x 10000) would shrink to no pixels across: it is left as it is.
  if (h >= (w * sh) / sw) {
    const std::int64_t across = w * sh / h;
    if (across < 1) return {};
    return {true, static_cast<int>(across), screenHeight};
  }
  const std::int64_t down = h * sw / w;
  if (down < 1) return {};
  return {true, screenWidth, static_cast<int>(down)};
}

void ApplyWallpaperFile(WallpaperSetter& setter, const std::filesystem::path& bmpFile) {
  setter.SetWallpaper(bmpFile.string());
}

bool SetAsWallpaper(const std::string& picturePath, int screenWidth, int screenHeight,
                    const std::filesystem::path& dataFolder,
                    const std::filesystem::path& blankWallpaper, WallpaperSetter& setter) {
  try {
    if (screenWidth < 1 || screenHeight < 1) return false;
    const Bitmap24 picture = DecodePicture(picturePath);
    const WallpaperFit fit =
        FitWallpaper(picture.Width(), picture.Height(), screenWidth, screenHeight);
    const std::filesystem::path target = dataFolder / kWallpaperFile;
    std::filesystem::create_directories(dataFolder);
    if (fit.Stretch) {
      Bitmap24 fitted(fit.Width, fit.Height);
      StretchBitmapSmooth(fitted, 0, 0, fit.Width, fit.Height, picture, 0, 0, picture.Width(),
                          picture.Height());
      WriteBmp(fitted, target);
    } else {
      WriteBmp(picture, target);
    }
    // The blank picture first, so that a desktop that keeps its wallpaper by path still sees
    // a change when the file under the same name is new.
    ApplyWallpaperFile(setter, blankWallpaper);
    ApplyWallpaperFile(setter, target);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace vexilo
