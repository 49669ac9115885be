#pragma once
// Quick Start's task: one address with the fixed settings of a quick task.

#include <string>

#include "tasks/TaskRecord.h"

namespace vexilo {

// The quick task for address, named after its site, with the folder of a new task in
// downFolder. The size limits and Reserved18 and Reserved20 are taken from current. Raises
// InputError when no folder can be chosen.
TaskRecord QuickTaskFor(const std::string& address, const TaskRecord& current,
                        const std::string& downFolder);

}  // namespace vexilo
