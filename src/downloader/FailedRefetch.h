#pragma once
// What Resume fetches again before the queue goes on: on request the pictures that failed
// last time, and the pictures handed out whose files a crash left missing. Main thread only.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/CrawlState.h"
#include "core/UserPrompts.h"

namespace vexilo {

// "Fetch the 3 pictures that failed again?"
std::string RefetchQuestion(std::size_t count);

// When the state holds failed downloads, asks; "Yes" moves them in front of the cut-off
// downloads, which are handed out first into their own save paths (DispatchedCount counts
// them already). True when they were moved.
bool OfferToRefetchFailed(CrawlState& state, UserPrompts& prompts);

// Puts in front of the cut-off downloads, in queue order, each picture handed out whose save
// path holds no file (fileThere) and that no failure, removal by a check, cut-off download or
// download running (savePathsRunning) accounts for: a crash between its hand-out and its end.
// Returns how many.
std::size_t RefetchMissing(CrawlState& state, const std::vector<std::string>& savePathsRunning,
                           const std::function<bool(const std::string&)>& fileThere);

}  // namespace vexilo
