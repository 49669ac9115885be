#include "pictures/FileTimeText.h"

#include <chrono>

namespace vexilo {
namespace {

std::time_t ToTimeT(std::filesystem::file_time_type written) {
  return std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(
          std::chrono::file_clock::to_sys(written)));
}

}  // namespace

std::optional<std::time_t> FileWriteTime(const std::filesystem::path& file) {
  std::error_code error;
  const auto written = std::filesystem::last_write_time(file, error);
  if (error) return std::nullopt;
  return ToTimeT(written);
}

std::string FormatFileTime(std::time_t time, const char* format) {
  std::tm local{};
  localtime_r(&time, &local);
  local.tm_sec &= ~1;
  char text[64];
  const std::size_t length = std::strftime(text, sizeof text, format, &local);
  return std::string(text, length);
}

std::string FormatPictureTime(std::time_t time) {
  return FormatFileTime(time, "%Y-%m-%d %H:%M:%S");
}

std::string FileTimeText(const std::filesystem::path& file) {
  return FormatPictureTime(ToTimeT(std::filesystem::last_write_time(file)));
}

}  // namespace vexilo
