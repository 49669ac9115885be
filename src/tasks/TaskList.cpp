#include "tasks/TaskList.h"

#include <utility>

#include "core/Errors.h"
#include "core/LineFile.h"

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

const std::string& TaskList::TaskName(int i) const {
  CheckIndex(i);
  return mLines[static_cast<size_t>(i) * TaskRecord::kLineCount];
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

std::string NewTaskFolderName(const std::filesystem::path& downFolder, const std::string& name) {
  std::error_code ec;
  if (!std::filesystem::is_directory(downFolder / name, ec)) return name;
  if (auto free = UniqueFolderNameUpTo(downFolder, name, kMaxFolderNumber)) return *free;
  throw InputError("Cannot make the task \"" + name + "\": the folders " + name + " and (1)" +
                   name + " to (999)" + name + " already exist in " + downFolder.string() +
                   ". Please choose another task name.");
}

}  // namespace vexilo
