#pragma once
// The texts of the viewer's six status panels.

#include <array>
#include <ctime>
#include <filesystem>
#include <string>

namespace vexilo {

// The panels by what they show.
inline constexpr int kViewerPositionPanel = 0;  // "3/17"
inline constexpr int kViewerTimePanel = 1;
inline constexpr int kViewerNamePanel = 2;
inline constexpr int kViewerSizePanel = 3;  // "800x600"
inline constexpr int kViewerZoomPanel = 4;  // "150%"
inline constexpr int kViewerHintPanel = 5;
inline constexpr int kViewerPanelCount = 6;
// Panel widths at creation; the name and size panels then take their text's width +
// kViewerTextMargin.
inline constexpr std::array<int, kViewerPanelCount> kViewerPanelWidths = {50, 120, 50, 50, 50, 500};
inline constexpr int kViewerTextMargin = 20;
// The position, time and zoom panels keep their width unless their text needs more: its
// width + this.
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

// The texts of the panels before the hint panel, by panel; the hint panel holds kViewerHint,
// written once.
std::array<std::string, kViewerHintPanel> ViewerStatusTexts(const ViewerStatusInput& input);

// A local time as "mm/dd/yyyy hh:nn:ss", 24-hour clock, seconds rounded down to even.
std::string FormatViewerTime(std::time_t time);
// The file's last-write time so; "" when it cannot be read (the file has gone), which
// leaves the time panel empty instead of failing the whole status update.
std::string FileTimeForViewer(const std::filesystem::path& file);

}  // namespace vexilo
