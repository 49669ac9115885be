#pragma once
// The modal dialogs the task commands show, as the commands see them. Main thread only.

#include <optional>
#include <string>

#include "core/TaskRecord.h"

namespace vexilo {

// The new task wizard.
class NewTaskDialog {
 public:
  virtual ~NewTaskDialog() = default;
  // Shows the wizard on its first page. True when it ended with a task to start: then the
  // record holds the task made on the four pages (TaskType "0" or "1") or has TaskType "2"
  // and QuickTaskAddress() holds the address of a quick task. False writes nothing.
  virtual bool ShowNewTaskWizard(TaskRecord& record) = 0;
  virtual std::string QuickTaskAddress() const = 0;
};

// The task settings dialog: shows the record and the hours between two checks for new
// pictures (0: never) and, on "OK", writes the edits back.
class TaskSettingsDialog {
 public:
  virtual ~TaskSettingsDialog() = default;
  // True after "OK"; false ("Cancel", close button) leaves both as they were.
  virtual bool ShowTaskSettings(TaskRecord& record, int& checkHours) = 0;
};

// What the user chose to delete in the delete confirmation dialog.
struct DeleteChoice {
  bool TaskSettings = true;  // "Delete task settings and searching results"
  bool Pictures = true;      // "Delete pictures downloaded "
};

class DeleteTaskDialog {
 public:
  virtual ~DeleteTaskDialog() = default;
  // The ticked boxes after "OK"; std::nullopt after "Cancel" or the close button.
  virtual std::optional<DeleteChoice> AskDeleteTask() = 0;
};

}  // namespace vexilo
