#include "tasks/TaskTreeGuard.h"

#include <QSignalBlocker>
#include <utility>

#include "shell/TaskTree.h"

namespace vexilo {

TaskTreeGuard::TaskTreeGuard(TTaskTree& tree) : QObject(&tree), mTree(tree) {
  mShownNode = SelectedNode();
  connect(&mTree, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { CurrentChanged(current); });
}

void TaskTreeGuard::SetSelectionHooks(std::function<bool()> allowChange,
                                      std::function<void(int)> selected) {
  mAllowChange = std::move(allowChange);
  mSelected = std::move(selected);
}

void TaskTreeGuard::AddTaskNode(const std::string& caption) { mTree.AddTaskNode(caption); }

void TaskTreeGuard::RemoveTaskNode(int index) {
  QSignalBlocker quiet(&mTree);
  mTree.RemoveTaskNode(index);
  mShownNode = SelectedNode();
}

int TaskTreeGuard::TaskNodeCount() const { return mTree.TaskCount(); }

int TaskTreeGuard::SelectedNode() const { return NodeOf(mTree.currentItem()); }

void TaskTreeGuard::SetSelectedNode(int node) {
  QSignalBlocker quiet(&mTree);
  QTreeWidgetItem* item = node == kRootNode ? mTree.Root() : mTree.TaskNode(node);
  mTree.setCurrentItem(item);
  if (item != nullptr) {
    mTree.scrollToItem(item);
  } else {
    mTree.clearSelection();
  }
  mShownNode = SelectedNode();
}

int TaskTreeGuard::NodeOf(const QTreeWidgetItem* item) const {
  if (item == nullptr) return kNoNode;
  if (item == mTree.Root()) return kRootNode;
  return mTree.TaskIndexOf(item).value_or(kNoNode);
}

void TaskTreeGuard::CurrentChanged(QTreeWidgetItem* current) {
  const int wanted = NodeOf(current);
  if (wanted == mShownNode) return;
  SetSelectedNode(mShownNode);
  if (mAllowChange && !mAllowChange()) return;
  SetSelectedNode(wanted);
  if (mSelected) mSelected(wanted);
}

}  // namespace vexilo
