#include "tasks/QuickTask.h"

#include "core/UrlUtils.h"
#include "tasks/TaskList.h"

namespace vexilo {

TaskRecord QuickTaskFor(const std::string& address, const TaskRecord& current,
                        const std::string& downFolder, const std::filesystem::path& programFolder) {
  TaskRecord r;
  r.TaskType = kQuickTaskType;
  r.Name = SiteOf(address);
  r.StartUrl = address;
  AssignNewTaskFolder(r, downFolder, programFolder);
  r.LinkLevels = 9;
  r.LinkScope = 1;
  r.IdleSeconds = 10;
  r.ManualLogin = 0;
  r.GrabFromLinks = std::string(1, '0');  // a plain "0" trips a false -Wrestrict in GCC 12
  r.MinSizeKb = current.MinSizeKb;
  r.MaxSizeKb = current.MaxSizeKb;
  r.Reserved18 = current.Reserved18;
  r.Reserved20 = current.Reserved20;
  return r;
}

}  // namespace vexilo
