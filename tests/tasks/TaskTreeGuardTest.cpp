#include <gtest/gtest.h>

#include "shell/TaskTree.h"
#include "support/TempDir.h"
#include "tasks/TaskList.h"
#include "tasks/TaskTreeGuard.h"

namespace vexilo {
namespace {

using test::TempDir;
using test::WriteFileBytes;

class TaskTreeGuardTest : public testing::Test {
 protected:
  TaskTreeGuardTest() {
    std::string lines;
    for (const char* name : {"a", "b", "c"}) {
      lines += std::string(name) + "\n";
      for (int i = 1; i < TaskRecord::kLineCount; ++i) lines += "0\n";
    }
    WriteFileBytes(mDir / "GTask.lis", lines);
    TaskList tasks(mDir.Path());
    tasks.LoadTaskList();
    mTree.Fill(tasks);
    mGuard->SetSelectionHooks(
        [this] {
          ++mAsked;
          return mAllow;
        },
        [this](int node) { mReported.push_back(node); });
  }

  TempDir mDir;
  TTaskTree mTree;
  TaskTreeGuard* mGuard = new TaskTreeGuard(mTree);
  bool mAllow = true;
  int mAsked = 0;
  std::vector<int> mReported;
};

TEST_F(TaskTreeGuardTest, AUserChangeIsAskedForAndReportedOrUndone) {
  mTree.setCurrentItem(mTree.TaskNode(1));
  EXPECT_EQ(mGuard->SelectedNode(), 1);
  EXPECT_EQ(mReported, std::vector<int>{1});

  mAllow = false;
  mTree.setCurrentItem(mTree.TaskNode(2));
  mTree.setCurrentItem(mTree.Root());
  EXPECT_EQ(mAsked, 3);
  EXPECT_EQ(mGuard->SelectedNode(), 1);
  EXPECT_TRUE(mTree.TaskNode(1)->isSelected());
  EXPECT_FALSE(mTree.TaskNode(2)->isSelected());
  EXPECT_EQ(mReported, std::vector<int>{1});
}

TEST_F(TaskTreeGuardTest, TheCommandsChangesAreNeitherAskedForNorReported) {
  mGuard->SetSelectedNode(TaskTreeView::kRootNode);
  EXPECT_EQ(mGuard->SelectedNode(), TaskTreeView::kRootNode);
  mGuard->SetSelectedNode(0);
  mGuard->RemoveTaskNode(0);
  mGuard->AddTaskNode("d");
  EXPECT_EQ(mGuard->TaskNodeCount(), 3);
  EXPECT_EQ(mTree.TaskNode(0)->text(0), "b");
  EXPECT_EQ(mTree.TaskNode(2)->text(0), "d");
  EXPECT_EQ(mAsked, 0);
  EXPECT_TRUE(mReported.empty());
  mTree.setCurrentItem(mTree.TaskNode(2));
  EXPECT_EQ(mReported, std::vector<int>{2});
}

}  // namespace
}  // namespace vexilo
