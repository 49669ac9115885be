#pragma once
// "Set Wallpaper": the picture at the list's current position, fitted to the screen, saved as
// Vexilo.bmp in the user's data folder and handed to the desktop after blank.bmp. Main thread.

#include <filesystem>
#include <string>

#include "viewer/WallpaperSetter.h"

namespace vexilo {

inline constexpr const char* kWallpaperFile = "Vexilo.bmp";
inline constexpr const char* kBlankWallpaperFile = "blank.bmp";

// What is saved for a W x H picture on an SW x SH screen: the picture itself, or a stretch to
// Width x Height (the screen touched on the relatively longer side, the shape kept; a smaller
// picture of the screen's own shape fills it).
struct WallpaperFit {
  bool Stretch = false;
  int Width = 0;
  int Height = 0;
};
WallpaperFit FitWallpaper(int width, int height, int screenWidth, int screenHeight);

// The screen's size in device pixels, which a wallpaper is made for, from its size in logical
// pixels and its device pixel ratio (2 on a screen scaled to 200 %).
inline int DevicePixels(int logical, double ratio) {
  return static_cast<int>(logical * (ratio > 0 ? ratio : 1.0) + 0.5);
}

void ApplyWallpaperFile(WallpaperSetter& setter, const std::filesystem::path& bmpFile);

// Decodes picturePath, fits it, writes dataFolder/Vexilo.bmp (the folder made when missing),
// then hands blankWallpaper (the shipped blank.bmp) and the new file to the desktop. Every failure
// ends it silently; false then, for tests.
bool SetAsWallpaper(const std::string& picturePath, int screenWidth, int screenHeight,
                    const std::filesystem::path& dataFolder,
                    const std::filesystem::path& blankWallpaper, WallpaperSetter& setter);

}  // namespace vexilo
