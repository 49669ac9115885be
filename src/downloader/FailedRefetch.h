#pragma once
// Resume's offer to fetch the pictures that failed last time again. Main thread only.

#include <cstddef>
#include <string>

#include "core/CrawlState.h"
#include "core/UserPrompts.h"

namespace vexilo {

// "Fetch the 3 pictures that failed again?"
std::string RefetchQuestion(std::size_t count);

// When the state holds failed downloads, asks; "Yes" moves them in front of the cut-off
// downloads, which are handed out first into their own save paths (DispatchedCount counts
// them already). True when they were moved.
bool OfferToRefetchFailed(CrawlState& state, UserPrompts& prompts);

}  // namespace vexilo
