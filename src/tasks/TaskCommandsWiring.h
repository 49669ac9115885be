#pragma once
// Connects the main window's menu entries, tool bar buttons and task tree to the task
// commands, so that the window only has to hand them over. Main thread only.

class QAction;
class QObject;

namespace vexilo {

class TaskCommands;
class TaskTreeGuard;

// The entries that invoke the task commands. The "T&ask" menu and the tree's pop-up menu
// share one action per command; a null entry is left unconnected.
struct TaskCommandActions {
  QAction* New = nullptr;   // "&New" and the tool bar's "New Task"
  QAction* Stop = nullptr;  // "&Stop" and "Stop Task"
  QAction* Delete = nullptr;
  QAction* Resume = nullptr;
  QAction* Restart = nullptr;
  QAction* Settings = nullptr;
  QAction* OpenDestinationFolder = nullptr;
  QAction* PreviousTask = nullptr;
  QAction* NextTask = nullptr;
  QAction* QuickStart = nullptr;  // the "Quick Start" button beside the address box
};

// Puts the commands' guard and report on the tree. commands and tree outlive the
// connections, which end with context.
void ConnectTaskCommands(TaskCommands& commands, TaskTreeGuard& tree,
                         const TaskCommandActions& actions, QObject* context);

}  // namespace vexilo
