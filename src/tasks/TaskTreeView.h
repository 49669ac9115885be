#pragma once
// The task tree of the main window as the task commands see it: the root "Vexilo Task" and,
// under it, one node per task in task index order. Main thread only.

#include <string>

namespace vexilo {

class TaskTreeView {
 public:
  // Values of a selection that is not a task.
  static constexpr int kRootNode = -1;
  static constexpr int kNoNode = -2;

  virtual ~TaskTreeView() = default;
  // Adds a node captioned caption as the root's last child.
  virtual void AddTaskNode(const std::string& caption) = 0;
  // Removes the root's child index; the later nodes keep their order.
  virtual void RemoveTaskNode(int index) = 0;
  virtual int TaskNodeCount() const = 0;
  // The task index of the selected node, kRootNode or kNoNode.
  virtual int SelectedNode() const = 0;
  // Selects a task node or the root and shows it, without asking the selection guard and
  // without reporting the change: the commands have done both (TaskCommands::SelectNode).
  virtual void SetSelectedNode(int node) = 0;
};

}  // namespace vexilo
