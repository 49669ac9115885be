#include "pictures/FileTimeText.h"

#include <chrono>

namespace vexilo {

std::string FormatPictureTime(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  local.tm_sec &= ~1;
  char text[32];
  std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(text, length);
}

std::string FileTimeText(const std::filesystem::path& file) {
  auto written = std::chrono::file_clock::to_sys(std::filesystem::last_write_time(file));
  return FormatPictureTime(std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(written)));
}

}  // namespace vexilo
