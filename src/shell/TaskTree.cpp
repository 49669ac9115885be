#include "shell/TaskTree.h"

#include <QApplication>
#include <QStyle>

#include "tasks/TaskList.h"

namespace vexilo {

TTaskTree::TTaskTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

void TTaskTree::Fill(const TaskList& list) {
  clear();
  auto* root = new QTreeWidgetItem(this, QStringList("Vexilo Task"));
  root->setIcon(0, QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon));
  for (int i = 0; i < list.TaskCount(); ++i) AddTaskNode(list.TaskName(i));
  root->setExpanded(true);
}

int TTaskTree::TaskCount() const { return Root() != nullptr ? Root()->childCount() : 0; }

QTreeWidgetItem* TTaskTree::TaskNode(int index) const {
  return Root() != nullptr ? Root()->child(index) : nullptr;
}

std::optional<int> TTaskTree::TaskIndexOf(const QTreeWidgetItem* node) const {
  if (node == nullptr || Root() == nullptr || node->parent() != Root()) return std::nullopt;
  return Root()->indexOfChild(const_cast<QTreeWidgetItem*>(node));
}

QTreeWidgetItem* TTaskTree::AddTaskNode(const std::string& name) {
  auto* node = new QTreeWidgetItem(Root(), QStringList(QString::fromStdString(name)));
  node->setIcon(0, QApplication::style()->standardIcon(QStyle::SP_DirIcon));
  return node;
}

void TTaskTree::RemoveTaskNode(int index) { delete TaskNode(index); }

}  // namespace vexilo
