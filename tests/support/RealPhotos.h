#pragma once
// Real photographs for the tests that need whole scenes: the desktop's wallpaper packages
// (plasma-workspace-wallpapers), resized by ImageMagick at run time.

#include <filesystem>
#include <string>
#include <vector>

namespace vexilo::test {

// Up to `most` photos of 1920 x 1080, in name order; fewer (or none) when the package is
// missing.
std::vector<std::filesystem::path> WallpaperPhotos(std::size_t most);

// `convert from <options> to`; false when it fails.
bool ConvertPicture(const std::filesystem::path& from, const std::string& options,
                    const std::filesystem::path& to);

}  // namespace vexilo::test
