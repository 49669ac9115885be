#include "core/SaveFailureNotice.h"

namespace vexilo {

void TellSaveFailureOnce(RunState& run, UserPrompts& prompts, const std::string& reason) {
  if (run.SaveFailureTold) return;
  // Set first: the box runs events, and a timer tick in it may fail to save too.
  run.SaveFailureTold = true;
  prompts.ShowError(kSaveFailedText + reason);
}

}  // namespace vexilo
