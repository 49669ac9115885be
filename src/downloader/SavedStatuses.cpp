#include "downloader/SavedStatuses.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "downloader/PictureStatus.h"

namespace vexilo {

std::vector<RowStatus> SavedStatuses(const CrawlState& saved, std::size_t rowsShown,
                                     const std::vector<std::string>& savePathsRunning, bool waiting,
                                     const std::function<bool(const std::string&)>& fileThere) {
  const std::vector<QueuedPicture>& queue = saved.Queue;
  const std::size_t shown = std::min(queue.size(), rowsShown);
  const auto handedOut =
      static_cast<std::size_t>(std::clamp<std::int64_t>(saved.DispatchedCount, 0, shown));
  std::vector<std::optional<std::string>> status(shown);
  for (std::size_t i = 0; i < shown; ++i) {
    if (i >= handedOut) {
      if (waiting) status[i] = kWaitingStatus;
    } else if (fileThere(queue[i].SavePath)) {
      // Fetched, unless it failed or was cut off (below).
      status[i] = kDoneStatus;
    }
  }
  std::unordered_map<std::string, std::size_t> rowOfPath;
  for (std::size_t i = 0; i < shown; ++i) rowOfPath[queue[i].SavePath] = i;
  auto set = [&](const std::string& savePath, std::string text) {
    if (auto found = rowOfPath.find(savePath); found != rowOfPath.end()) {
      status[found->second] = std::move(text);
    }
  };
  for (const FailedPicture& picture : saved.Failed) {
    set(picture.SavePath, kFailedStatus + picture.Reason);
  }
  for (const FailedPicture& picture : saved.Removed) set(picture.SavePath, picture.Reason);
  // A cut-off or running picture's file may be there, cut short.
  for (const QueuedPicture& picture : saved.CutOff) {
    set(picture.SavePath, waiting ? kWaitingStatus : "");
  }
  for (const std::string& savePath : savePathsRunning) set(savePath, kDownloadingStatus);

  std::vector<RowStatus> rows;
  for (std::size_t i = 0; i < shown; ++i) {
    if (status[i]) rows.push_back({static_cast<int>(i), std::move(*status[i])});
  }
  return rows;
}

}  // namespace vexilo
