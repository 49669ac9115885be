#pragma once
// The commands of the Task menu, the task tree's pop-up and the tool bar, and the tree's
// selection guard; they hold references to parts the main window owns. Main thread only.
// One crawl at a time: while one runs, New, Quick Start, Resume and Restart get
// kStopFirstMessage, Delete and selection changes kWaitMessage. New and Quick Start crawl
// afresh. New, Quick Start, Settings and Delete of the settings refuse, with the save's error,
// a task list that may not be saved. A failing command shows its error's text; a failing
// resumed crawl and Open destination folder end silently.

#include <filesystem>
#include <optional>
#include <string>

#include "core/AppSettings.h"
#include "core/Clock.h"
#include "core/DesktopShell.h"
#include "core/RunState.h"
#include "core/TaskRecord.h"
#include "core/UserPrompts.h"
#include "tasks/CommandSeams.h"
#include "tasks/PictureArchive.h"
#include "tasks/TaskDialogs.h"
#include "tasks/TaskList.h"
#include "tasks/TaskTreeView.h"

namespace vexilo {

inline constexpr const char* kStopFirstMessage =
    "Please stop current task before start a new task.";
inline constexpr const char* kWaitMessage = "Please wait for completing current task.";
inline constexpr const char* kRestartQuestion =
    "This will delete the pictures downloaded, Are you sure to continue?";
inline constexpr const char* kNoArchiveMessage =
    "Vexilo cannot check for new pictures without its picture archive, which could not be "
    "opened at start-up.";

// Settings, Resume, Restart and Delete refuse a block that cannot be read, with this error.
std::string UnreadableTaskMessage(const std::string& taskName, const std::string& reason);
// Resume and Restart refuse a task whose picture folder is no full path or the root, with this
// error; fileLine is the TaskFolder line of GTask.lis, counted from 1.
std::string UnusableFolderMessage(const std::string& taskName, const std::string& taskFolder,
                                  const std::string& reason, int fileLine);
// Delete and Restart leave a picture folder that is not download folder + "/" + the task's
// folder name (after lexical normalisation), and say so with this message.
std::string PicturesLeftMessage(const std::string& taskFolder, const std::string& downFolder);

// What the commands work on; every member outlives the commands.
struct TaskCommandParts {
  std::filesystem::path ProgramFolder;  // holds GTask.lis and the state folders
  TaskList& Tasks;
  TaskRecord& CurrentTask;
  RunState& Run;
  const AppSettings& Settings;
  TaskTreeView& Tree;
  TaskPictureView& Pictures;
  AddressBox& Address;
  CrawlRunner& Crawl;
  NewTaskDialog& Wizard;
  TaskSettingsDialog& SettingsDialog;
  DeleteTaskDialog& DeleteDialog;
  UserPrompts& Prompts;
  DesktopShell& Shell;
  // None when it could not be opened: checks for new pictures are refused then.
  PictureArchive* Archive = nullptr;
  // When a scheduled task's check started.
  const WallClock& Calendar = SystemWallClock();
};

class TaskCommands {
 public:
  explicit TaskCommands(TaskCommandParts parts);
  TaskCommands(const TaskCommands&) = delete;
  TaskCommands& operator=(const TaskCommands&) = delete;

  void New();
  void QuickStart();
  void Stop();
  void Delete();
  void Resume();
  void Restart();
  // Crawls the selected task again from its starting address, as Restart would but keeping
  // its pictures and rows, and fetches only what the task never had; pictures the user
  // deleted only when the user says so.
  void CheckForNewPictures();
  // The check of task as the schedule and the command line start it, and as
  // CheckForNewPictures runs it: "" once it ran, else why it could not start. Without askUser
  // nothing is asked: the pictures the user deleted stay deleted.
  std::string CheckTask(int task, bool askUser);
  void Settings();
  void OpenDestinationFolder();
  void PreviousTask();
  void NextTask();

  // The tree asks this before the user changes its selection: false (after telling the
  // user) while a crawl runs, and the selection must then stay where it is.
  bool SelectionChangeAllowed();
  // The tree reports a selection change it has made (after SelectionChangeAllowed).
  void NodeSelected(int node);
  // Selects a node (task index or TaskTreeView::kRootNode) as a user's click would.
  void SelectNode(int node);

 private:
  // Appends the current task record as the last task, selects it and crawls it.
  void AddAndCrawlCurrentTask();
  // The selected task's index, or -1 when the root or nothing is selected.
  int SelectedTask() const;
  bool RefuseWhileCrawling(const char* message);
  // Block task as a record; std::nullopt, after showing why, when it cannot be read.
  std::optional<TaskRecord> ReadBlockOrRefuse(int task);
  // Whether a crawl can save into the record's picture folder; false after showing why.
  bool PictureFolderUsable(int task, const TaskRecord& record);
  // A scheduled task's check counts from its start, and a check that cannot start counts too,
  // so that the schedule does not try it again at once.
  void MarkScheduledCheck(const std::string& folderName);
  // The TaskFolder line of task in GTask.lis, counted from 1.
  static int TaskFolderFileLine(int task);
  void DeleteTaskFolders(int task, bool pictures, bool state);
  void SelectLastNode();

  TaskCommandParts mParts;
};

}  // namespace vexilo
