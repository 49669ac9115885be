#pragma once
// The task list: the lines of GTask.lis held for the whole run, 21 lines per task.
// Task i is lines 21*i to 21*i + 20 and also child i of the task tree's root.
// Main thread only.

#include <filesystem>
#include <string>
#include <vector>

#include "core/TaskRecord.h"
#include "tasks/TaskListCheck.h"

namespace vexilo {

class TaskList {
 public:
  static constexpr const char* kFileName = "GTask.lis";
  // The list as it was before the last save.
  static constexpr const char* kPreviousFileName = "GTask.lis~";

  // programFolder is the folder GTask.lis lives in.
  explicit TaskList(std::filesystem::path programFolder);

  // Removes the temporary files killed saves left beside GTask.lis, creates GTask.lis empty
  // when it is missing, then reads it. Every whole block is a task, so that block i stays
  // node i, but the blocks of UnreadableBlocks() (FindUnreadableBlocks) are refused by
  // ReadTaskRecord; a trailing partial block is dropped, so every later append stays in step
  // with the tree. Raises FileError when the file cannot be read.
  void LoadTaskList();
  // Copies the file as it is to GTask.lis~, then replaces GTask.lis with the lines (after
  // removing stale temporary files beside them). Raises FileError, also when the list is not
  // Loaded(): a list that did not read back whole is never saved over. The lines keep their
  // change.
  void SaveTaskList() const;
  // True when the file was read and every block in it reads back: only then is it saved.
  bool Loaded() const { return mLoaded; }
  // Raises the FileError of SaveTaskList when the list is not Loaded().
  void CheckSavable() const;
  const std::vector<UnreadableBlock>& UnreadableBlocks() const { return mUnreadable; }
  // Whether block i is a task that may be read; false for an unreadable block or a bad index.
  bool Readable(int i) const;

  int TaskCount() const { return static_cast<int>(mLines.size()) / TaskRecord::kLineCount; }
  // Line 0 of block i: the caption of the task's tree node.
  const std::string& TaskName(int i) const { return TaskLine(i, 0); }
  // Line line (0 to 20) of block i as stored, without converting the record.
  const std::string& TaskLine(int i, int line) const;

  // Returns block i as a record; raises InputError, saying why, for an unreadable block or a
  // bad index (the caller's current record is untouched then).
  TaskRecord ReadTaskRecord(int i) const;
  // Replaces block i with the record and saves the file. Block i must exist.
  void WriteTaskRecord(int i, const TaskRecord& record);
  // Appends the record as a new last block; the caller saves and adds the tree node.
  void AppendTaskRecord(const TaskRecord& record);
  // Removes block i; later blocks move up. The caller removes the node and saves. Raises
  // FileError when the list is not Loaded(), as the save would.
  void RemoveTaskRecord(int i);

  const std::vector<std::string>& Lines() const { return mLines; }
  std::filesystem::path FilePath() const { return mProgramFolder / kFileName; }

 private:
  void CheckIndex(int i) const;

  std::filesystem::path mProgramFolder;
  std::vector<std::string> mLines;
  std::vector<UnreadableBlock> mUnreadable;
  bool mLoaded = false;
};

// The name of a new task: name itself unless it is blank, else the host of its address, else
// "Task", so that no node of the task tree is blank.
std::string NewTaskName(const std::string& name, const std::string& address);

// The folder name for a new task called name with that starting address. Always a plain
// folder name (IsPlainFolderName): blanks at the ends are dropped, a "/" becomes "-", and a
// name that is blank or only dots gives way to the host of the address, then to "Task". The
// name is taken when a folder of it exists in the download folder (a file there does not
// count) or anything of it exists in programFolder/task; then "(n)" + name for the first n
// from 1 to 999 for which neither holds. Raises InputError when all of them are taken.
std::string NewTaskFolderName(const std::filesystem::path& downFolder,
                              const std::filesystem::path& programFolder, const std::string& name,
                              const std::string& address);

// Gives a blank record Name its fallback (NewTaskName), sets FolderName to the folder name of
// a new task of that name and TaskFolder to that folder in downFolder. Raises InputError when
// downFolder is blank or no folder name is free.
void AssignNewTaskFolder(TaskRecord& record, const std::string& downFolder,
                         const std::filesystem::path& programFolder);

}  // namespace vexilo
