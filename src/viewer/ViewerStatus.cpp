#include "viewer/ViewerStatus.h"

#include "pictures/FileTimeText.h"
#include "viewer/ZoomRules.h"

namespace vexilo {

std::array<std::string, kViewerHintPanel> ViewerStatusTexts(const ViewerStatusInput& input) {
  return {std::to_string(input.CurrentIndex + 1) + "/" + std::to_string(input.Count),
          input.FileTime, input.FileName,
          std::to_string(input.PictureWidth) + "x" + std::to_string(input.PictureHeight),
          std::to_string(ZoomPercent(input.ZoomLevel)) + "%"};
}

std::string FormatViewerTime(std::time_t time) { return FormatFileTime(time, "%m/%d/%Y %H:%M:%S"); }

std::string FileTimeForViewer(const std::filesystem::path& file) {
  const std::optional<std::time_t> written = FileWriteTime(file);
  return written ? FormatViewerTime(*written) : "";
}

}  // namespace vexilo
