#pragma once
// The texts of the viewer's six status panels.

#include <array>
#include <ctime>
#include <filesystem>
#include <string>

namespace vexilo {

inline constexpr int kViewerPanelCount = 6;
// Panel widths at creation; panels 2 and 3 then take their text's width + kViewerTextMargin.
inline constexpr std::array<int, kViewerPanelCount> kViewerPanelWidths = {50, 120, 50, 50, 50, 500};
inline constexpr int kViewerTextMargin = 20;
// Panels 0, 1 and 4 keep their width unless their text needs more: its width + this.
inline constexpr int kViewerPanelPadding = 10;
inline constexpr char kViewerHint[] = "Press SPACE to view next picture in sequence.";

struct ViewerStatusInput {
  int CurrentIndex = -1;
  int Count = 0;
  std::string FileTime;  // FileTimeForViewer's text; "" when it could not be read
  std::string FileName;
  int PictureWidth = 0;
  int PictureHeight = 0;
  int ZoomLevel = 0;
};

// Panels 0 to 4: "3/17", the file time, the file name, "800x600", "150%". Panel 5 holds
// kViewerHint, written once.
std::array<std::string, 5> ViewerStatusTexts(const ViewerStatusInput& input);

// A local time as "mm/dd/yyyy hh:nn:ss", 24-hour clock, seconds rounded down to even.
std::string FormatViewerTime(std::time_t time);
// The file's last-write time so; "" when it cannot be read (the file has gone), which
// leaves panel 1 empty instead of failing the whole status update.
std::string FileTimeForViewer(const std::filesystem::path& file);

}  // namespace vexilo
