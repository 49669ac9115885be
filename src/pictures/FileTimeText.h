#pragma once
// The file time the status bar shows for the selected picture: its last-write time in local
// time as "yyyy-mm-dd hh:nn:ss", at two-second resolution (the seconds are always even).

#include <ctime>
#include <filesystem>
#include <string>

namespace vexilo {

std::string FormatPictureTime(std::time_t time);

// Raises std::filesystem::filesystem_error when the file's time cannot be read.
std::string FileTimeText(const std::filesystem::path& file);

}  // namespace vexilo
