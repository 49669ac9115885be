#include "viewer/ViewerStatus.h"

#include <chrono>

#include "viewer/ZoomRules.h"

namespace vexilo {

std::array<std::string, 5> ViewerStatusTexts(const ViewerStatusInput& input) {
  return {std::to_string(input.CurrentIndex + 1) + "/" + std::to_string(input.Count),
          input.FileTime, input.FileName,
          std::to_string(input.PictureWidth) + "x" + std::to_string(input.PictureHeight),
          std::to_string(ZoomPercent(input.ZoomLevel)) + "%"};
}

std::string FormatViewerTime(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  local.tm_sec &= ~1;
  char text[32];
  std::size_t length = std::strftime(text, sizeof text, "%m/%d/%Y %H:%M:%S", &local);
  return std::string(text, length);
}

std::string FileTimeForViewer(const std::filesystem::path& file) {
  std::error_code error;
  auto written = std::filesystem::last_write_time(file, error);
  if (error) return "";
  auto system = std::chrono::file_clock::to_sys(written);
  return FormatViewerTime(std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(system)));
}

}  // namespace vexilo
