#include "tasks/TaskCommands.h"

#include <exception>
#include <optional>
#include <utility>

#include "core/TaskStateFiles.h"
#include "core/TextRules.h"
#include "tasks/CheckSchedule.h"
#include "tasks/FolderDeletion.h"
#include "tasks/NewPictureCheck.h"
#include "tasks/QuickTask.h"

namespace vexilo {
namespace {

// The folder lexically normalised, without a trailing "/"; links are not resolved (the
// deletion itself never follows one).
std::string LexicalFolder(const std::string& folder) {
  std::string normal = std::filesystem::path(folder).lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

// The task's picture folder when it is the folder of its folder name in the download folder,
// as every task made here has it; std::nullopt for anything else, so that a hand-edited
// block such as ".../t1/../../outside" + "outside" cannot reach outside. The normal form is
// what gets deleted, so no ".." is ever walked through a link.
std::optional<std::string> OwnPictureFolder(const std::string& taskFolder,
                                            const std::string& downFolder,
                                            const std::string& folderName) {
  if (!IsPlainFolderName(folderName) || Trim(downFolder).empty()) return std::nullopt;
  std::string own = LexicalFolder(Trim(downFolder) + "/" + folderName);
  if (LexicalFolder(Trim(taskFolder)) != own) return std::nullopt;
  return own;
}

// Why a crawl cannot save into taskFolder; empty when it can. The root or a folder relative
// to wherever Vexilo was started would scatter the task's pictures.
std::string UnusablePictureFolder(const std::string& taskFolder) {
  const std::filesystem::path folder(taskFolder);
  if (taskFolder.find('\0') != std::string::npos || !folder.is_absolute()) {
    return "is not a full path";
  }
  if (folder.lexically_normal() == folder.root_path()) return "is the root folder";
  return {};
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(Trim(path), ec));
}

}  // namespace

std::string UnreadableTaskMessage(const std::string& taskName, const std::string& reason) {
  return "The task \"" + taskName + "\" cannot be read from GTask.lis (" + reason +
         "). Correct or delete its lines in that file while Vexilo is closed.";
}

std::string UnusableFolderMessage(const std::string& taskName, const std::string& taskFolder,
                                  const std::string& reason, int fileLine) {
  return "The task \"" + taskName + "\" cannot be crawled: its picture folder \"" + taskFolder +
         "\" " + reason + ". Correct line " + std::to_string(fileLine) +
         " of GTask.lis while Vexilo is closed, or make the task again.";
}

std::string PicturesLeftMessage(const std::string& taskFolder, const std::string& downFolder) {
  return "The pictures in \"" + taskFolder +
         "\" were not deleted: it is not this task's folder in the download folder \"" +
         downFolder + "\".";
}

TaskCommands::TaskCommands(TaskCommandParts parts) : mParts(std::move(parts)) {}

void TaskCommands::New() {
  if (RefuseWhileCrawling(kStopFirstMessage)) return;
  try {
    mParts.Tasks.CheckSavable();
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
    mParts.Tasks.CheckSavable();
    mParts.CurrentTask =
        QuickTaskFor(address, mParts.CurrentTask, mParts.Settings.DownFolder, mParts.ProgramFolder);
    AddAndCrawlCurrentTask();
  } catch (const std::exception& e) {
    mParts.Prompts.ShowError(e.what());
  }
}

void TaskCommands::Stop() { mParts.Run.StopPressed(); }

void TaskCommands::Delete() {
  int task = SelectedTask();
  if (task < 0) return;
  // The running crawl still reads this task's record and would recreate its state folder.
  if (RefuseWhileCrawling(kWaitMessage)) return;
  if (!ReadBlockOrRefuse(task)) return;
  try {
    std::optional<DeleteChoice> choice = mParts.DeleteDialog.AskDeleteTask();
    if (!choice) return;
    // Nothing is deleted for a task that would stay in the file.
    if (choice->TaskSettings) mParts.Tasks.CheckSavable();
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
  std::optional<TaskRecord> record = ReadBlockOrRefuse(task);
  if (!record || !PictureFolderUsable(task, *record)) return;
  try {
    mParts.CurrentTask = std::move(*record);
    mParts.Run.ResumeRequested = true;
    mParts.Crawl.RunCrawl();
  } catch (const std::exception&) {
    // A task that cannot be resumed simply is not.
  }
}

void TaskCommands::Restart() {
  int task = SelectedTask();
  if (task < 0) return;
  if (RefuseWhileCrawling(kStopFirstMessage)) return;
  // Crawl the very block whose folders go, whatever the selection read.
  std::optional<TaskRecord> record = ReadBlockOrRefuse(task);
  if (!record || !PictureFolderUsable(task, *record)) return;
  if (!mParts.Prompts.AskYesNo(kRestartQuestion)) return;
  try {
    // The schedule is a setting of the task, not of the crawl that Restart drops.
    const std::filesystem::path stateFolder =
        TaskStateFiles(mParts.ProgramFolder).StateFolder(record->FolderName);
    const CheckSchedule schedule = ReadCheckSchedule(stateFolder);
    DeleteTaskFolders(task, true, true);
    if (schedule.Hours > 0) WriteCheckSchedule(stateFolder, schedule);
    mParts.Pictures.ClearPictures();
    mParts.CurrentTask = std::move(*record);
    mParts.Run.ResumeRequested = false;
    mParts.Crawl.RunCrawl();
  } catch (const std::exception& e) {
    mParts.Prompts.ShowError(e.what());
  }
}

void TaskCommands::CheckForNewPictures() {
  int task = SelectedTask();
  if (task < 0) return;
  if (RefuseWhileCrawling(kStopFirstMessage)) return;
  if (const std::string refusal = CheckTask(task, true); !refusal.empty()) {
    mParts.Prompts.ShowError(refusal);
  }
}

std::string TaskCommands::CheckTask(int task, bool askUser) {
  if (!mParts.Run.CrawlIdle()) return kStopFirstMessage;
  TaskRecord record;
  try {
    record = mParts.Tasks.ReadTaskRecord(task);
  } catch (const std::exception& e) {
    return UnreadableTaskMessage(mParts.Tasks.TaskName(task), e.what());
  }
  MarkScheduledCheck(record.FolderName);
  if (const std::string reason = UnusablePictureFolder(record.TaskFolder); !reason.empty()) {
    return UnusableFolderMessage(record.Name, record.TaskFolder, reason, TaskFolderFileLine(task));
  }
  if (!mParts.Archive) return kNoArchiveMessage;
  try {
    PictureArchive& archive = *mParts.Archive;
    const std::string& folderName = record.FolderName;
    const TaskStateFiles stateFiles(mParts.ProgramFolder);
    std::vector<PictureEntry> rows;
    CrawlState state;
    stateFiles.LoadCrawlState(folderName, rows, state);
    const FileThere fileThere = [](const std::string& path) {
      std::error_code error;
      return std::filesystem::is_regular_file(path, error);
    };
    EnterTaskOnce(archive, folderName, state, fileThere);
    const std::vector<ArchivedPicture> deleted = DeletedPictures(archive, folderName, fileThere);
    const bool fetchDeleted = askUser && !deleted.empty() &&
                              mParts.Prompts.AskYesNo(FetchDeletedQuestion(deleted.size()));
    KnownPictures known = KnownPicturesOf(archive.TaskPictures(folderName), deleted, fetchDeleted);
    // The check goes on from its saved start like a resumed crawl, so a stopped one resumes.
    MakeCheckStart(state, record.StartUrl, deleted, fetchDeleted);
    stateFiles.SaveCrawlState(folderName, rows, state);
    mParts.CurrentTask = std::move(record);
    mParts.Run.ResumeRequested = true;
    mParts.Crawl.RunCheck(std::move(known));
  } catch (const std::exception& e) {
    return e.what();
  }
  return {};
}

void TaskCommands::Settings() {
  int task = SelectedTask();
  if (task < 0) return;
  // The dialog edits the selected block as stored, never a record left from another task.
  std::optional<TaskRecord> record = ReadBlockOrRefuse(task);
  if (!record) return;
  try {
    mParts.Tasks.CheckSavable();
    const TaskStateFiles stateFiles(mParts.ProgramFolder);
    CheckSchedule schedule = ReadCheckSchedule(stateFiles.StateFolder(record->FolderName));
    int hours = schedule.Hours;
    if (!mParts.SettingsDialog.ShowTaskSettings(*record, hours)) return;
    if (SelectedTask() != task) return;
    mParts.Tasks.WriteTaskRecord(task, *record);
    if (hours != schedule.Hours) {
      schedule.Hours = hours;
      // Under the folder name the task has now: a renamed task's state goes with it.
      WriteCheckSchedule(stateFiles.StateFolder(record->FolderName), schedule);
    }
    mParts.CurrentTask = std::move(*record);
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
  // A new task never resumes, whatever an earlier Resume left set.
  mParts.Run.ResumeRequested = false;
  mParts.Crawl.RunCrawl();
}

std::optional<TaskRecord> TaskCommands::ReadBlockOrRefuse(int task) {
  try {
    return mParts.Tasks.ReadTaskRecord(task);
  } catch (const std::exception& e) {
    mParts.Prompts.ShowError(UnreadableTaskMessage(mParts.Tasks.TaskName(task), e.what()));
    return std::nullopt;
  }
}

bool TaskCommands::PictureFolderUsable(int task, const TaskRecord& record) {
  const std::string reason = UnusablePictureFolder(record.TaskFolder);
  if (reason.empty()) return true;
  mParts.Prompts.ShowError(
      UnusableFolderMessage(record.Name, record.TaskFolder, reason, TaskFolderFileLine(task)));
  return false;
}

void TaskCommands::MarkScheduledCheck(const std::string& folderName) {
  try {
    const std::filesystem::path stateFolder =
        TaskStateFiles(mParts.ProgramFolder).StateFolder(folderName);
    CheckSchedule schedule = ReadCheckSchedule(stateFolder);
    if (schedule.Hours <= 0) return;
    schedule.LastCheck = mParts.Calendar.Now();
    WriteCheckSchedule(stateFolder, schedule);
  } catch (const std::exception&) {
    // The schedule tries again at its next turn.
  }
}

int TaskCommands::TaskFolderFileLine(int task) {
  return task * TaskRecord::kLineCount + TaskRecord::kTaskFolderLine + 1;
}

int TaskCommands::SelectedTask() const {
  int node = mParts.Tree.SelectedNode();
  return node >= 0 && node < mParts.Tasks.TaskCount() ? node : -1;
}

bool TaskCommands::RefuseWhileCrawling(const char* message) {
  if (mParts.Run.CrawlIdle()) return false;
  mParts.Prompts.ShowMessage(message);
  return true;
}

void TaskCommands::DeleteTaskFolders(int task, bool pictures, bool state) {
  ProtectedFolders keep = ProtectedFolders::For(mParts.ProgramFolder, mParts.Settings.DownFolder);
  const std::string& folderName = mParts.Tasks.TaskLine(task, TaskRecord::kFolderNameLine);
  if (pictures) {
    const std::string& taskFolder = mParts.Tasks.TaskLine(task, TaskRecord::kTaskFolderLine);
    if (auto own = OwnPictureFolder(taskFolder, mParts.Settings.DownFolder, folderName)) {
      DeleteFolder(*own, keep);
    } else if (Exists(taskFolder)) {
      mParts.Prompts.ShowMessage(PicturesLeftMessage(taskFolder, mParts.Settings.DownFolder));
    }
  }
  if (state && IsPlainFolderName(folderName)) {
    const TaskStateFiles stateFiles(mParts.ProgramFolder);
    DeleteFolder(stateFiles.StateFolder(folderName).string(), keep);
    // A save cut short may have left a set of the task's files beside its folder.
    for (const auto& set : stateFiles.LeftoverSets(folderName)) DeleteFolder(set.string(), keep);
    if (mParts.Archive) {
      try {
        mParts.Archive->ForgetTask(folderName);
      } catch (const std::exception& e) {
        // The folders are gone already; the command goes on.
        mParts.Prompts.ShowError(e.what());
      }
    }
  }
}

void TaskCommands::SelectLastNode() {
  int count = mParts.Tree.TaskNodeCount();
  SelectNode(count > 0 ? count - 1 : TaskTreeView::kRootNode);
}

}  // namespace vexilo
