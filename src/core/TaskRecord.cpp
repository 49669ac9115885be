#include "core/TaskRecord.h"

#include <string_view>

#include "core/TextRules.h"

namespace vexilo {

std::array<std::string, TaskRecord::kLineCount> ToLines(const TaskRecord& r) {
  auto n = [](std::int32_t v) { return std::to_string(v); };
  return {r.Name,          r.StartUrl,      r.Reserved2,         r.TaskFolder,
          n(r.LinkLevels), n(r.LinkScope),  n(r.IdleSeconds),    n(r.MinSizeKb),
          n(r.MaxSizeKb),  n(r.MinWidth),   n(r.MinHeight),      n(r.ManualLogin),
          r.TaskType,      r.GrabFromLinks, r.DownloadUrlFilter, r.SearchUrlFilter,
          r.LinkCutFrom,   r.LinkCutTo,     r.Reserved18,        r.FolderName,
          r.Reserved20};
}

bool IsPlainFolderName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string::npos && Trim(name) == name;
}

TaskRecord FromLines(const std::string* lines) {
  TaskRecord r;
  r.Name = lines[0];
  r.StartUrl = lines[1];
  r.Reserved2 = lines[2];
  r.TaskFolder = lines[3];
  r.LinkLevels = ToWholeNumber(lines[4]);
  r.LinkScope = ToWholeNumber(lines[5]);
  r.IdleSeconds = ToWholeNumber(lines[6]);
  r.MinSizeKb = ToWholeNumber(lines[7]);
  r.MaxSizeKb = ToWholeNumber(lines[8]);
  r.MinWidth = ToWholeNumber(lines[9]);
  r.MinHeight = ToWholeNumber(lines[10]);
  r.ManualLogin = ToWholeNumber(lines[11]);
  r.TaskType = lines[12];
  r.GrabFromLinks = lines[13];
  r.DownloadUrlFilter = lines[14];
  r.SearchUrlFilter = lines[15];
  r.LinkCutFrom = lines[16];
  r.LinkCutTo = lines[17];
  r.Reserved18 = lines[18];
  r.FolderName = lines[19];
  r.Reserved20 = lines[20];
  return r;
}

}  // namespace vexilo
