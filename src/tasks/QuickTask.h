#pragma once
// Quick Start's task: one address with the fixed settings of a quick task.

#include <filesystem>
#include <string>

#include "core/TaskRecord.h"

namespace vexilo {

// The quick task for address, named after its site (its host, or "Task", when that is
// blank), with the folder of a new task in downFolder (AssignNewTaskFolder; programFolder
// holds the state folders). The size limits and Reserved18 and Reserved20 are taken from
// current. Raises InputError when no folder can be chosen.
TaskRecord QuickTaskFor(const std::string& address, const TaskRecord& current,
                        const std::string& downFolder, const std::filesystem::path& programFolder);

}  // namespace vexilo
