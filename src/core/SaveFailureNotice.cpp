#include "core/SaveFailureNotice.h"

namespace vexilo {

void TellSaveFailureOnce(RunFlags& flags, UserPrompts& prompts, const std::string& reason) {
  if (flags.SaveFailureTold) return;
  // Set first: the box runs events, and a timer tick in it may fail to save too.
  flags.SaveFailureTold = true;
  prompts.ShowError(kSaveFailedText + reason);
}

}  // namespace vexilo
