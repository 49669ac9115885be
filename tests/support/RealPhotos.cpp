#include "support/RealPhotos.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace vexilo::test {

std::vector<std::filesystem::path> WallpaperPhotos(std::size_t most) {
  std::vector<std::filesystem::path> photos;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/usr/share/wallpapers", ec)) {
    const std::filesystem::path photo = entry.path() / "contents/images/1920x1080.jpg";
    if (std::filesystem::is_regular_file(photo, ec)) photos.push_back(photo);
  }
  std::sort(photos.begin(), photos.end());
  if (photos.size() > most) photos.resize(most);
  return photos;
}

bool ConvertPicture(const std::filesystem::path& from, const std::string& options,
                    const std::filesystem::path& to) {
  const std::string command =
      "convert '" + from.string() + "' " + options + " '" + to.string() + "' 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

}  // namespace vexilo::test
