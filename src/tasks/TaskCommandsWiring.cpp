#include "tasks/TaskCommandsWiring.h"

#include <QAction>

#include "tasks/TaskCommands.h"
#include "tasks/TaskTreeGuard.h"

namespace vexilo {

void ConnectTaskCommands(TaskCommands& commands, TaskTreeGuard& tree,
                         const TaskCommandActions& actions, QObject* context) {
  const std::pair<QAction*, void (TaskCommands::*)()> entries[] = {
      {actions.New, &TaskCommands::New},
      {actions.Stop, &TaskCommands::Stop},
      {actions.Delete, &TaskCommands::Delete},
      {actions.Resume, &TaskCommands::Resume},
      {actions.Restart, &TaskCommands::Restart},
      {actions.Settings, &TaskCommands::Settings},
      {actions.OpenDestinationFolder, &TaskCommands::OpenDestinationFolder},
      {actions.PreviousTask, &TaskCommands::PreviousTask},
      {actions.NextTask, &TaskCommands::NextTask},
      {actions.QuickStart, &TaskCommands::QuickStart},
  };
  for (const auto& [action, command] : entries) {
    if (action == nullptr) continue;
    QObject::connect(action, &QAction::triggered, context,
                     [&commands, command] { (commands.*command)(); });
  }
  tree.SetSelectionHooks([&commands] { return commands.SelectionChangeAllowed(); },
                         [&commands](int node) { commands.NodeSelected(node); });
}

}  // namespace vexilo
