#pragma once
// "vexilo --check [TASK NAME ...]": the checks of the named tasks, or of the scheduled tasks
// that are due, one after the other in a run nobody watches, one line for each on out.

#include <ostream>
#include <string>
#include <vector>

namespace vexilo {

class TRun;

// Runs the checks in run (started, with its dialogs attached) and its event loop until the
// last has ended. 0 when every check ran, 1 when one could not start or its crawl failed or a
// name matched no task; pictures that failed are counted in the lines, not in the status.
int RunChecks(TRun& run, const std::vector<std::string>& taskNames, std::ostream& out);

}  // namespace vexilo
