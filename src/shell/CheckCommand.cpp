#include "shell/CheckCommand.h"

#include <QEventLoop>
#include <QTimer>
#include <functional>

#include "shell/Run.h"
#include "tasks/CheckSchedule.h"

namespace vexilo {

int RunChecks(TRun& run, const std::vector<std::string>& taskNames, std::ostream& out) {
  int status = 0;
  std::vector<int> tasks;
  const TaskList& list = run.TaskLines();
  if (taskNames.empty()) {
    tasks = DueTasks(list, list.FilePath().parent_path(), SystemWallClock().Now());
  }
  for (const std::string& name : taskNames) {
    bool found = false;
    for (int i = 0; i < list.TaskCount(); ++i) {
      if (list.TaskName(i) == name) {
        tasks.push_back(i);
        found = true;
      }
    }
    if (!found) {
      out << CheckOutcomeLine({.TaskName = name, .Error = "no such task"}) << std::endl;
      status = 1;
    }
  }

  QEventLoop loop;
  std::size_t next = 0;
  std::function<void()> startNext = [&] {
    if (next == tasks.size()) {
      loop.quit();
      return;
    }
    run.StartUnattendedCheck(tasks[next++]);
  };
  run.CheckEnded = [&](const CheckOutcome& outcome) {
    out << CheckOutcomeLine(outcome) << std::endl;
    if (outcome.Failed()) status = 1;
    // Not from inside the run that reports it.
    QTimer::singleShot(0, &loop, startNext);
  };
  QTimer::singleShot(0, &loop, startNext);
  loop.exec();
  run.CheckEnded = nullptr;
  return status;
}

}  // namespace vexilo
