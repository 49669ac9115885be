#include "tasks/TaskList.h"

#include <algorithm>
#include <utility>

#include "core/Errors.h"
#include "core/LineFile.h"
#include "core/TaskStateFiles.h"
#include "core/TextRules.h"
#include "core/UrlUtils.h"

namespace vexilo {
namespace {

constexpr int kMaxFolderNumber = 999;
constexpr const char* kLastResortName = "Task";

const std::string kProgramFileNames[] = {TaskList::kFileName, TaskList::kPreviousFileName};

// Empty or only blanks.
bool IsBlank(const std::string& name) { return Trim(name).empty(); }

// The name as one folder name: trimmed, a "/" or NUL made "-". Empty for a name that would
// be no folder of its own: blank, or only dots (".", "..", "...").
std::string FolderPartOf(const std::string& name) {
  std::string folder = Trim(name);
  std::replace(folder.begin(), folder.end(), '/', '-');
  std::replace(folder.begin(), folder.end(), '\0', '-');
  if (folder.find_first_not_of('.') == std::string::npos) return {};
  return folder;
}

}  // namespace

TaskList::TaskList(std::filesystem::path programFolder)
    : mProgramFolder(std::move(programFolder)) {}

void TaskList::LoadTaskList() {
  mLoaded = false;
  mUnreadable.clear();
  RemoveStaleTemporaries(mProgramFolder, kProgramFileNames);
  std::filesystem::path file = FilePath();
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) WriteLines(file, {});
  BoundedLines read = ReadBoundedLines(file, kLongestTaskLine);
  mLines = std::move(read.Lines);
  mUnreadable = FindUnreadableBlocks(mLines, read.TooLong);
  mLines.resize(static_cast<size_t>(TaskCount()) * TaskRecord::kLineCount);
  mLoaded = mUnreadable.empty();
}

void TaskList::CheckSavable() const {
  if (mLoaded) return;
  std::string why = "could not be read at start-up";
  if (!mUnreadable.empty()) {
    why = "has tasks that could not be read (task " + std::to_string(mUnreadable[0].Block + 1) +
          (mUnreadable.size() > 1 ? " and others" : "") + ")";
  }
  throw FileError("The task list \"" + FilePath().string() + "\" " + why +
                  ", so it is not written over. Close Vexilo, repair or move the file away, "
                  "and start Vexilo again.");
}

void TaskList::SaveTaskList() const {
  CheckSavable();
  RemoveStaleTemporaries(mProgramFolder, kProgramFileNames);
  // A save that goes wrong (or a list the user regrets) can be undone from the copy.
  std::error_code ec;
  if (std::filesystem::exists(std::filesystem::symlink_status(FilePath(), ec))) {
    ReplaceFileText(mProgramFolder / kPreviousFileName, ReadText(FilePath()));
  }
  WriteLines(FilePath(), mLines);
}

bool TaskList::Readable(int i) const {
  return i >= 0 && i < TaskCount() &&
         std::none_of(mUnreadable.begin(), mUnreadable.end(),
                      [i](const UnreadableBlock& block) { return block.Block == i; });
}

const std::string& TaskList::TaskLine(int i, int line) const {
  CheckIndex(i);
  if (line < 0 || line >= TaskRecord::kLineCount) {
    throw InputError("List index out of bounds (" + std::to_string(line) + ")");
  }
  return mLines[static_cast<size_t>(i) * TaskRecord::kLineCount + static_cast<size_t>(line)];
}

TaskRecord TaskList::ReadTaskRecord(int i) const {
  CheckIndex(i);
  for (const UnreadableBlock& block : mUnreadable) {
    if (block.Block == i) throw InputError(block.Reason);
  }
  return FromLines(&mLines[static_cast<size_t>(i) * TaskRecord::kLineCount]);
}

void TaskList::WriteTaskRecord(int i, const TaskRecord& record) {
  CheckIndex(i);
  auto lines = ToLines(record);
  std::move(lines.begin(), lines.end(),
            mLines.begin() + static_cast<std::ptrdiff_t>(i) * TaskRecord::kLineCount);
  SaveTaskList();
}

void TaskList::AppendTaskRecord(const TaskRecord& record) {
  auto lines = ToLines(record);
  mLines.insert(mLines.end(), lines.begin(), lines.end());
}

void TaskList::RemoveTaskRecord(int i) {
  // Removing only in memory would put the unreadable blocks' numbers out of step.
  CheckSavable();
  CheckIndex(i);
  auto first = mLines.begin() + static_cast<std::ptrdiff_t>(i) * TaskRecord::kLineCount;
  mLines.erase(first, first + TaskRecord::kLineCount);
}

void TaskList::CheckIndex(int i) const {
  if (i < 0 || i >= TaskCount()) {
    throw InputError("List index out of bounds (" + std::to_string(i) + ")");
  }
}

std::string NewTaskName(const std::string& name, const std::string& address) {
  if (!IsBlank(name)) return name;
  std::string host = HostOf(address);
  return IsBlank(host) ? kLastResortName : host;
}

std::string NewTaskFolderName(const std::filesystem::path& downFolder,
                              const std::filesystem::path& programFolder,
                              const std::string& taskName, const std::string& address) {
  std::string name = FolderPartOf(taskName);
  if (name.empty()) name = FolderPartOf(HostOf(address));
  if (name.empty()) name = kLastResortName;
  const std::filesystem::path stateFolders = programFolder / TaskStateFiles::kStateFolder;
  // Anything of that name among the state folders counts too: a new task must not take over
  // an older task's saved state after the download folder changed.
  const auto stateTaken = [&](const std::filesystem::path& candidate) {
    std::error_code ec;
    return std::filesystem::exists(
        std::filesystem::symlink_status(stateFolders / candidate.filename(), ec));
  };
  std::error_code ec;
  if (!std::filesystem::is_directory(downFolder / name, ec) && !stateTaken(name)) return name;
  if (auto free = UniqueFolderNameUpTo(downFolder, name, kMaxFolderNumber, stateTaken)) {
    return *free;
  }
  throw InputError("Cannot make the task \"" + name + "\": the folders " + name + " and (1)" +
                   name + " to (999)" + name + " already exist in " + downFolder.string() + " or " +
                   stateFolders.string() + ". Please choose another task name.");
}

void AssignNewTaskFolder(TaskRecord& record, const std::string& downFolder,
                         const std::filesystem::path& programFolder) {
  if (Trim(downFolder).empty()) {
    throw InputError("No download folder is set. Please choose one in the download settings.");
  }
  record.Name = NewTaskName(record.Name, record.StartUrl);
  record.FolderName = NewTaskFolderName(downFolder, programFolder, record.Name, record.StartUrl);
  record.TaskFolder = downFolder + (downFolder.back() == '/' ? "" : "/") + record.FolderName;
}

}  // namespace vexilo
