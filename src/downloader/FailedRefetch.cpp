#include "downloader/FailedRefetch.h"

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

}  // namespace vexilo
