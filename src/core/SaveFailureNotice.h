#pragma once
// A task's progress that cannot be saved is told to the user once per crawl: Resume would
// start from an older point and they should know, but a failing disk must not bury them in
// message boxes. Main thread only.

#include <string>

#include "core/RunState.h"
#include "core/UserPrompts.h"

namespace vexilo {

inline constexpr const char* kSaveFailedText =
    "The progress of the task could not be saved, so Resume may start from an earlier point. ";

// Shows kSaveFailedText + reason as an error unless run.SaveFailureTold is set, then sets
// it. The crawl start clears it.
void TellSaveFailureOnce(RunState& run, UserPrompts& prompts, const std::string& reason);

}  // namespace vexilo
