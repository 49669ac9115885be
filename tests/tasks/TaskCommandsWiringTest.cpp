#include <gtest/gtest.h>

#include <QAction>

#include "shell/TaskTree.h"
#include "support/TempDir.h"
#include "tasks/TaskCommands.h"
#include "tasks/TaskCommandsWiring.h"
#include "tasks/TaskFakes.h"
#include "tasks/TaskTreeGuard.h"

namespace vexilo {
namespace {

TEST(TaskCommandsWiring, EntriesRunTheirCommandsAndTheTreeAsksTheGuard) {
  test::TempDir dir;
  TaskList tasks(dir.Path());
  tasks.LoadTaskList();
  TaskRecord current;
  current.Name = "a";
  tasks.AppendTaskRecord(current);
  tasks.AppendTaskRecord(current);
  AppSettings settings;
  RunFlags flags;
  TTaskTree widget;
  widget.Fill(tasks);
  auto* tree = new TaskTreeGuard(widget);
  test::FakePictures pictures;
  test::FakeAddress address;
  test::FakeCrawl crawl;
  test::FakeWizard wizard;
  test::FakeSettingsDialog settingsDialog;
  test::FakeDeleteDialog deleteDialog;
  test::FakePrompts prompts;
  test::FakeShell shell;
  TaskCommands commands({dir.Path(), tasks, current, flags, settings, *tree, pictures, address,
                         crawl, wizard, settingsDialog, deleteDialog, prompts, shell});
  QAction newTask, stop, next;
  QObject context;
  ConnectTaskCommands(commands, *tree, {.New = &newTask, .Stop = &stop, .NextTask = &next},
                      &context);

  newTask.trigger();
  EXPECT_EQ(wizard.Shows, 1);
  tree->SetSelectedNode(TaskTreeView::kRootNode);
  next.trigger();
  EXPECT_EQ(tree->SelectedNode(), 0);
  EXPECT_EQ(pictures.Listed, std::vector<int>{0});

  flags.CrawlIdle = false;
  widget.setCurrentItem(widget.TaskNode(1));
  EXPECT_EQ(tree->SelectedNode(), 0);
  EXPECT_EQ(prompts.Messages, std::vector<std::string>{kWaitMessage});
  stop.trigger();
  widget.setCurrentItem(widget.TaskNode(1));
  EXPECT_EQ(tree->SelectedNode(), 1);
  EXPECT_EQ(pictures.Listed, (std::vector<int>{0, 1}));
}

}  // namespace
}  // namespace vexilo
