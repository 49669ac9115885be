#include "shell/TaskTree.h"

#include <QApplication>
#include <QSignalBlocker>
#include <QStyle>

namespace vexilo {
namespace {

// The tree shapes a caption whole to size its row, in time that grows faster than its length,
// so a hand-edited giant name would hold up the window; no pane shows more than this anyway.
constexpr qsizetype kLongestCaption = 256;

QString CaptionOf(const std::string& name) {
  QString caption = QString::fromStdString(name);
  if (caption.size() <= kLongestCaption) return caption;
  qsizetype cut = kLongestCaption;
  if (caption.at(cut - 1).isHighSurrogate()) --cut;
  return caption.left(cut) + QChar(0x2026);
}

}  // namespace

TTaskTree::TTaskTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setContextMenuPolicy(Qt::CustomContextMenu);
  auto* root = new QTreeWidgetItem(this, QStringList("Vexilo Task"));
  root->setIcon(0, QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon));
  root->setExpanded(true);
  connect(this, &QTreeWidget::currentItemChanged, this, &TTaskTree::OnCurrentChanged);
}

void TTaskTree::SetSelectionHandlers(std::function<bool()> allowed,
                                     std::function<void(int)> selected) {
  mAllowed = std::move(allowed);
  mSelected = std::move(selected);
}

QTreeWidgetItem* TTaskTree::TaskNode(int index) const {
  return Root() != nullptr ? Root()->child(index) : nullptr;
}

int TTaskTree::NodeOf(const QTreeWidgetItem* node) const {
  if (node == nullptr || Root() == nullptr) return kNoNode;
  if (node == Root()) return kRootNode;
  if (node->parent() != Root()) return kNoNode;
  return Root()->indexOfChild(const_cast<QTreeWidgetItem*>(node));
}

void TTaskTree::AddTaskNode(const std::string& caption) {
  auto* node = new QTreeWidgetItem(Root(), QStringList(CaptionOf(caption)));
  node->setIcon(0, QApplication::style()->standardIcon(QStyle::SP_DirIcon));
}

void TTaskTree::RemoveTaskNode(int index) {
  // The commands select another node themselves after a removal.
  QSignalBlocker quiet(this);
  delete TaskNode(index);
}

int TTaskTree::TaskNodeCount() const { return Root() != nullptr ? Root()->childCount() : 0; }

void TTaskTree::SetSelectedNode(int node) {
  QTreeWidgetItem* item = node == kRootNode ? Root() : TaskNode(node);
  QSignalBlocker quiet(this);
  setCurrentItem(item);
  if (item != nullptr) {
    scrollToItem(item);
  } else {
    clearSelection();
  }
}

void TTaskTree::OnCurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
  const int wanted = NodeOf(current);
  {
    QSignalBlocker quiet(this);
    setCurrentItem(previous);
  }
  if (mAllowed && !mAllowed()) return;
  SetSelectedNode(wanted);
  if (mSelected) mSelected(wanted);
}

}  // namespace vexilo
