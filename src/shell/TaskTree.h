#pragma once
// The task tree: the root "Vexilo Task" and one child per task, in task index order,
// captioned with the task's name. Read-only, whole-row selection. The task commands reach it
// through their TaskTreeGuard, which also guards its selection. Main thread only.

#include <optional>
#include <string>

#include <QTreeWidget>

namespace vexilo {

class TaskList;

class TTaskTree : public QTreeWidget {
  Q_OBJECT

 public:
  explicit TTaskTree(QWidget* parent = nullptr);

  // Replaces every node: the root, one child per task of list, root expanded.
  void Fill(const TaskList& list);

  QTreeWidgetItem* Root() const { return topLevelItem(0); }
  int TaskCount() const;
  QTreeWidgetItem* TaskNode(int index) const;
  // The task index of node, or nothing for the root, null or a node not under the root.
  std::optional<int> TaskIndexOf(const QTreeWidgetItem* node) const;
  std::optional<int> SelectedTaskIndex() const { return TaskIndexOf(currentItem()); }

  QTreeWidgetItem* AddTaskNode(const std::string& name);
  void RemoveTaskNode(int index);
};

}  // namespace vexilo
