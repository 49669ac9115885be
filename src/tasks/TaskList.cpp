#include "tasks/TaskList.h"

#include <algorithm>
#include <utility>

#include "core/Errors.h"
#include "core/LineFile.h"
#include "core/TextRules.h"

#include "crawler/UrlUtils.h"

namespace vexilo {
namespace {
constexpr int kMaxFolderNumber = 999;
}

TaskList::TaskList(std::filesystem::path programFolder)
    : mProgramFolder(std::move(programFolder)) {}

void TaskList::LoadTaskList() {
  std::filesystem::path file = FilePath();
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) WriteLines(file, {});
  mLines = ReadLines(file);
  mLines.resize(static_cast<size_t>(TaskCount()) * TaskRecord::kLineCount);
}

void TaskList::SaveTaskList() const { WriteLines(FilePath(), mLines); }

const std::string& TaskList::TaskLine(int i, int line) const {
  CheckIndex(i);
  if (line < 0 || line >= TaskRecord::kLineCount) {
    throw InputError("List index out of bounds (" + std::to_string(line) + ")");
  }
  return mLines[static_cast<size_t>(i) * TaskRecord::kLineCount + static_cast<size_t>(line)];
}

TaskRecord TaskList::ReadTaskRecord(int i) const {
  CheckIndex(i);
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
  CheckIndex(i);
  auto first = mLines.begin() + static_cast<std::ptrdiff_t>(i) * TaskRecord::kLineCount;
  mLines.erase(first, first + TaskRecord::kLineCount);
}

void TaskList::CheckIndex(int i) const {
  if (i < 0 || i >= TaskCount()) {
    throw InputError("List index out of bounds (" + std::to_string(i) + ")");
  }
}

std::string NewTaskFolderName(const std::filesystem::path& downFolder,
                              const std::string& taskName) {
  std::string name = taskName;
  std::replace(name.begin(), name.end(), '/', '-');
  std::replace(name.begin(), name.end(), '\0', '-');
  std::error_code ec;
  if (!std::filesystem::is_directory(downFolder / name, ec)) return name;
  if (auto free = UniqueFolderNameUpTo(downFolder, name, kMaxFolderNumber)) return *free;
  throw InputError("Cannot make the task \"" + name + "\": the folders " + name + " and (1)" +
                   name + " to (999)" + name + " already exist in " + downFolder.string() +
                   ". Please choose another task name.");
}

void AssignNewTaskFolder(TaskRecord& record, const std::string& downFolder) {
  if (Trim(downFolder).empty()) {
    throw InputError("No download folder is set. Please choose one in the download settings.");
  }
  record.FolderName = NewTaskFolderName(downFolder, record.Name);
  record.TaskFolder = downFolder + (downFolder.back() == '/' ? "" : "/") + record.FolderName;
}

}  // namespace vexilo
