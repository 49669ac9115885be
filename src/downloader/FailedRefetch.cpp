#include "downloader/FailedRefetch.h"

#include <algorithm>
#include <unordered_set>

namespace vexilo {

std::string RefetchQuestion(std::size_t count) {
  return count == 1 ? "Fetch the 1 picture that failed again?"
                    : "Fetch the " + std::to_string(count) + " pictures that failed again?";
}

bool OfferToRefetchFailed(CrawlState& state, UserPrompts& prompts) {
  if (state.Failed.empty() || !prompts.AskYesNo(RefetchQuestion(state.Failed.size()))) {
    return false;
  }
  std::vector<QueuedPicture> again;
  again.reserve(state.Failed.size());
  for (FailedPicture& failed : state.Failed) {
    again.push_back({std::move(failed.Url), std::move(failed.SavePath)});
  }
  state.CutOff.insert(state.CutOff.begin(), again.begin(), again.end());
  state.Failed.clear();
  return true;
}

std::size_t RefetchMissing(CrawlState& state, const std::vector<std::string>& savePathsRunning,
                           const std::function<bool(const std::string&)>& fileThere) {
  std::unordered_set<std::string> accounted(savePathsRunning.begin(), savePathsRunning.end());
  for (const FailedPicture& failed : state.Failed) accounted.insert(failed.SavePath);
  for (const FailedPicture& removed : state.Removed) accounted.insert(removed.SavePath);
  for (const QueuedPicture& cut : state.CutOff) accounted.insert(cut.SavePath);
  const auto handedOut = static_cast<std::size_t>(
      std::clamp<std::int64_t>(state.DispatchedCount, 0, std::ssize(state.Queue)));
  std::vector<QueuedPicture> missing;
  for (std::size_t i = 0; i < handedOut; ++i) {
    const QueuedPicture& picture = state.Queue[i];
    // A save path named twice is fetched once.
    if (picture.SavePath.empty() || !accounted.insert(picture.SavePath).second) continue;
    if (!fileThere(picture.SavePath)) missing.push_back(picture);
  }
  state.CutOff.insert(state.CutOff.begin(), missing.begin(), missing.end());
  return missing.size();
}

}  // namespace vexilo
