#pragma once
// The file times the status bars show for a picture: its last-write time in local time at
// two-second resolution (the seconds are always even), "yyyy-mm-dd hh:nn:ss" under the grid.

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace vexilo {

// The file's last-write time; std::nullopt when it cannot be read.
std::optional<std::time_t> FileWriteTime(const std::filesystem::path& file);

// time in local time by an strftime format, its seconds rounded down to even.
std::string FormatFileTime(std::time_t time, const char* format);

std::string FormatPictureTime(std::time_t time);

// Raises std::filesystem::filesystem_error when the file's time cannot be read.
std::string FileTimeText(const std::filesystem::path& file);

}  // namespace vexilo
