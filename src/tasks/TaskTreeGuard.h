#pragma once
// Puts the selection guard on the main window's task tree and shows that tree to the task
// commands as a TaskTreeView. Every change of the tree's current node that the commands did
// not make (a click, an arrow key, the tree's own Previous/Next) is undone at once, offered
// to the guard and, when allowed, made again and reported; so a refused change never shows,
// not even behind its message. Main thread only.

#include <QObject>
#include <functional>

#include "tasks/TaskTreeView.h"

class QTreeWidgetItem;

namespace vexilo {

class TTaskTree;

class TaskTreeGuard : public QObject, public TaskTreeView {
  Q_OBJECT

 public:
  // The guard is a child of tree and goes with it.
  explicit TaskTreeGuard(TTaskTree& tree);

  // allowChange is asked before a change goes through (TaskCommands::SelectionChangeAllowed);
  // selected hears of every change that went through (TaskCommands::NodeSelected).
  void SetSelectionHooks(std::function<bool()> allowChange, std::function<void(int)> selected);

  void AddTaskNode(const std::string& caption) override;
  void RemoveTaskNode(int index) override;
  int TaskNodeCount() const override;
  int SelectedNode() const override;
  void SetSelectedNode(int node) override;

 private:
  int NodeOf(const QTreeWidgetItem* item) const;
  void CurrentChanged(QTreeWidgetItem* current);

  TTaskTree& mTree;
  int mShownNode = kNoNode;
  std::function<bool()> mAllowChange;
  std::function<void(int)> mSelected;
};

}  // namespace vexilo
