#include "tasks/TaskCommands.h"

#include <exception>
#include <utility>

#include "core/TextRules.h"
#include "tasks/FolderDeletion.h"
#include "tasks/QuickTask.h"
#include "tasks/TaskStateFiles.h"

namespace vexilo {
namespace {

// A folder name that names one folder inside the folder that holds it.
bool IsPlainFolderName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// A picture folder is the task's own when its last part is the task's folder name, as every
// task made here has it; a hand-edited block pointing elsewhere is left alone.
bool IsOwnPictureFolder(std::string folder, const std::string& folderName) {
  folder = Trim(folder);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return IsPlainFolderName(folderName) &&
         std::filesystem::path(folder).filename().string() == folderName;
}

}  // namespace

TaskCommands::TaskCommands(TaskCommandParts parts) : mParts(std::move(parts)) {}

void TaskCommands::New() {
  if (RefuseWhileCrawling(kStopFirstMessage)) return;
  try {
    // The current record is the selected task's until a new task is really made.
    TaskRecord task = mParts.CurrentTask;
    if (!mParts.Wizard.ShowNewTaskWizard(task)) return;
    if (task.TaskType == kQuickTaskType) {
      mParts.Address.SetAddressText(mParts.Wizard.QuickTaskAddress());
      QuickStart();
      return;
    }
    mParts.CurrentTask = std::move(task);
    AddAndCrawlCurrentTask();
  } catch (const std::exception& e) {
    mParts.Prompts.ShowError(e.what());
  }
}

void TaskCommands::QuickStart() {
  std::string address = mParts.Address.AddressText();
  if (Trim(address).empty()) return;
  if (RefuseWhileCrawling(kStopFirstMessage)) return;
  try {
    mParts.CurrentTask = QuickTaskFor(address, mParts.CurrentTask, mParts.Settings.DownFolder);
    AddAndCrawlCurrentTask();
  } catch (const std::exception& e) {
    mParts.Prompts.ShowError(e.what());
  }
}

void TaskCommands::Stop() {
  mParts.Flags.StopRequested = true;
  mParts.Flags.CrawlIdle = true;
}

void TaskCommands::Delete() {
  int task = SelectedTask();
  if (task < 0) return;
  // The running crawl still reads this task's record and would recreate its state folder.
  if (RefuseWhileCrawling(kWaitMessage)) return;
  try {
    std::optional<DeleteChoice> choice = mParts.DeleteDialog.AskDeleteTask();
    if (!choice) return;
    DeleteTaskFolders(task, choice->Pictures, choice->TaskSettings);
    if (choice->TaskSettings) {
      mParts.Tasks.RemoveTaskRecord(task);
      mParts.Tree.RemoveTaskNode(task);
      SelectLastNode();
      mParts.Tasks.SaveTaskList();
    }
  } catch (const std::exception& e) {
    mParts.Prompts.ShowError(e.what());
  }
}

void TaskCommands::Resume() {
  int task = SelectedTask();
  if (task < 0) return;
  if (RefuseWhileCrawling(kStopFirstMessage)) return;
  try {
    mParts.CurrentTask = mParts.Tasks.ReadTaskRecord(task);
    mParts.Flags.ResumeRequested = true;
    mParts.Crawl.RunCrawl();
  } catch (const std::exception&) {
    // A task that cannot be resumed simply is not.
  }
}

void TaskCommands::Restart() {
  int task = SelectedTask();
  if (task < 0) return;
  if (RefuseWhileCrawling(kStopFirstMessage)) return;
  if (!mParts.Prompts.AskYesNo(kRestartQuestion)) return;
  try {
    // Crawl the very block whose folders go, even if its selection could not read it.
    TaskRecord record = mParts.Tasks.ReadTaskRecord(task);
    DeleteTaskFolders(task, true, true);
    mParts.Pictures.ClearPictures();
    mParts.CurrentTask = std::move(record);
    mParts.Flags.ResumeRequested = false;
    mParts.Crawl.RunCrawl();
  } catch (const std::exception& e) {
    mParts.Prompts.ShowError(e.what());
  }
}

void TaskCommands::Settings() {
  int task = SelectedTask();
  if (task < 0) return;
  try {
    if (!mParts.SettingsDialog.ShowTaskSettings(mParts.CurrentTask)) return;
    if (SelectedTask() == task) mParts.Tasks.WriteTaskRecord(task, mParts.CurrentTask);
  } catch (const std::exception& e) {
    mParts.Prompts.ShowError(e.what());
  }
}

void TaskCommands::OpenDestinationFolder() {
  int task = SelectedTask();
  if (task < 0) return;
  try {
    mParts.Shell.Open(mParts.Tasks.TaskLine(task, TaskRecord::kTaskFolderLine));
  } catch (const std::exception&) {
    // A missing folder or file manager is the desktop's business.
  }
}

void TaskCommands::PreviousTask() {
  int node = mParts.Tree.SelectedNode();
  if (node > 0) SelectNode(node - 1);
}

void TaskCommands::NextTask() {
  int node = mParts.Tree.SelectedNode();
  int count = mParts.Tree.TaskNodeCount();
  if (node == TaskTreeView::kRootNode) {
    if (count > 0) SelectNode(0);
  } else if (node >= 0 && node + 1 < count) {
    SelectNode(node + 1);
  }
}

bool TaskCommands::SelectionChangeAllowed() { return !RefuseWhileCrawling(kWaitMessage); }

void TaskCommands::NodeSelected(int node) { mParts.Pictures.ListTaskPictures(node); }

void TaskCommands::SelectNode(int node) {
  if (!SelectionChangeAllowed()) return;
  mParts.Tree.SetSelectedNode(node);
  NodeSelected(node);
}

void TaskCommands::AddAndCrawlCurrentTask() {
  // The block and its node go in together, so a failed save leaves them in step.
  mParts.Tasks.AppendTaskRecord(mParts.CurrentTask);
  mParts.Tree.AddTaskNode(mParts.CurrentTask.Name);
  mParts.Tasks.SaveTaskList();
  SelectLastNode();
  mParts.Crawl.RunCrawl();
}

int TaskCommands::SelectedTask() const {
  int node = mParts.Tree.SelectedNode();
  return node >= 0 && node < mParts.Tasks.TaskCount() ? node : -1;
}

bool TaskCommands::RefuseWhileCrawling(const char* message) {
  if (mParts.Flags.CrawlIdle) return false;
  mParts.Prompts.ShowMessage(message);
  return true;
}

void TaskCommands::DeleteTaskFolders(int task, bool pictures, bool state) {
  ProtectedFolders keep = ProtectedFolders::For(mParts.ProgramFolder, mParts.Settings.DownFolder);
  const std::string& folderName = mParts.Tasks.TaskLine(task, TaskRecord::kFolderNameLine);
  if (pictures) {
    const std::string& taskFolder = mParts.Tasks.TaskLine(task, TaskRecord::kTaskFolderLine);
    if (IsOwnPictureFolder(taskFolder, folderName)) DeleteFolder(taskFolder, keep);
  }
  if (state && IsPlainFolderName(folderName)) {
    DeleteFolder(TaskStateFiles(mParts.ProgramFolder).StateFolder(folderName).string(), keep);
  }
}

void TaskCommands::SelectLastNode() {
  int count = mParts.Tree.TaskNodeCount();
  SelectNode(count > 0 ? count - 1 : TaskTreeView::kRootNode);
}

}  // namespace vexilo
