#pragma once
// The task tree: the root "Vexilo Task" (there from the start, expanded) and one child per
// task, in task index order, captioned with the task's name (cut after 256 characters). Read-only,
// whole-row selection. A change of selection by the user (click, key) is undone at once, offered to
// a guard and, when allowed, made again and reported; so a refused change never shows, not even
// behind its message. Main thread only.

#include <QTreeWidget>
#include <functional>
#include <optional>
#include <string>

#include "tasks/TaskTreeView.h"

namespace vexilo {

class TTaskTree : public QTreeWidget, public TaskTreeView {
  Q_OBJECT

 public:
  explicit TTaskTree(QWidget* parent = nullptr);

  // allowed is asked before a user's change is kept; selected then gets the new node (a
  // task index or kRootNode).
  void SetSelectionHandlers(std::function<bool()> allowed, std::function<void(int)> selected);

  QTreeWidgetItem* Root() const { return topLevelItem(0); }
  QTreeWidgetItem* TaskNode(int index) const;
  // The task index of node, kRootNode for the root, kNoNode for null or anything else.
  int NodeOf(const QTreeWidgetItem* node) const;

  void AddTaskNode(const std::string& caption) override;
  void RemoveTaskNode(int index) override;
  int TaskNodeCount() const override;
  int SelectedNode() const override { return NodeOf(currentItem()); }
  void SetSelectedNode(int node) override;

 private:
  void OnCurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);

  std::function<bool()> mAllowed;
  std::function<void(int)> mSelected;
};

}  // namespace vexilo
