#pragma once
// The definition of one crawl task: 21 fields, kept as 21 lines in the task list file.

#include <array>
#include <cstdint>
#include <string>

namespace vexilo {

struct TaskRecord {
  static constexpr int kLineCount = 21;
  // Lines the commands read from a stored block without converting the whole record.
  static constexpr int kTaskFolderLine = 3;
  static constexpr int kFolderNameLine = 19;

  std::string Name;
  std::string StartUrl;
  std::string Reserved2;
  std::string TaskFolder;
  std::int32_t LinkLevels = 0;
  std::int32_t LinkScope = 0;  // 0 anywhere, 1 site, 2 directory and below, 3 directory
  std::int32_t IdleSeconds = 0;
  std::int32_t MinSizeKb = 0;
  std::int32_t MaxSizeKb = 0;
  std::int32_t MinWidth = 0;
  std::int32_t MinHeight = 0;
  std::int32_t ManualLogin = 0;
  std::string TaskType;       // "0" normal, "1" advanced, "2" quick
  std::string GrabFromLinks;  // "1" or "0"
  std::string DownloadUrlFilter;
  std::string SearchUrlFilter;
  std::string LinkCutFrom;
  std::string LinkCutTo;
  std::string Reserved18;
  std::string FolderName;
  std::string Reserved20;

  bool operator==(const TaskRecord&) const = default;
};

// TaskRecord.TaskType by kind of task; GrabFromLinks is kYes or kNo.
inline const std::string kNormalTaskType{"0"};
inline const std::string kAdvancedTaskType{"1"};
inline const std::string kQuickTaskType{"2"};
inline const std::string kYes{"1"};
inline const std::string kNo{"0"};

// The record as its 21 lines, integers in decimal.
std::array<std::string, TaskRecord::kLineCount> ToLines(const TaskRecord& record);

// A folder name that names one folder inside the folder that holds it: not empty, ".", "..",
// without "/" or NUL and without blanks at its ends (which the folder deletion trims away).
// Every FolderName must be one before it becomes a path.
bool IsPlainFolderName(const std::string& name);

// Builds a record from 21 lines. Raises ConversionError when an integer line is not a
// whole number; nothing is returned then, so a caller's record stays as it was.
TaskRecord FromLines(const std::string* lines);

}  // namespace vexilo
