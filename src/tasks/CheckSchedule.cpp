#include "tasks/CheckSchedule.h"

#include <charconv>
#include <string>
#include <system_error>

#include "core/Errors.h"
#include "core/LineFile.h"
#include "core/TaskRecord.h"
#include "core/TaskStateFiles.h"
#include "core/TextRules.h"
#include "tasks/TaskList.h"

namespace vexilo {
namespace {

// Whole seconds since the epoch, as text: the file is read back by this program only.
std::optional<long long> Number(const std::string& line) {
  const std::string text = Trim(line);
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

CheckSchedule ReadCheckSchedule(const std::filesystem::path& stateFolder) {
  CheckSchedule schedule;
  std::vector<std::string> lines;
  try {
    lines = ReadLines(stateFolder / kCheckScheduleFile);
  } catch (const FileError&) {
    return schedule;
  }
  const std::optional<long long> hours = lines.empty() ? std::nullopt : Number(lines[0]);
  if (!hours || *hours < 0 || *hours > kMostCheckHours) return schedule;
  schedule.Hours = static_cast<int>(*hours);
  if (lines.size() > 1) {
    // Bounded, so that a hand-edited number cannot overflow the clock's own unit.
    constexpr long long kYear3000 = 32503680000;
    if (const std::optional<long long> seconds = Number(lines[1]);
        seconds && *seconds >= 0 && *seconds < kYear3000) {
      schedule.LastCheck = WallClock::TimePoint(std::chrono::seconds(*seconds));
    }
  }
  return schedule;
}

void WriteCheckSchedule(const std::filesystem::path& stateFolder, const CheckSchedule& schedule) {
  std::error_code error;
  std::filesystem::create_directories(stateFolder, error);
  std::vector<std::string> lines{std::to_string(schedule.Hours)};
  // No line at all for "never": no time point stands for it.
  if (schedule.LastCheck) {
    lines.push_back(std::to_string(
        std::chrono::duration_cast<std::chrono::seconds>(schedule.LastCheck->time_since_epoch())
            .count()));
  }
  WriteLines(stateFolder / kCheckScheduleFile, lines);
}

bool CheckDue(const CheckSchedule& schedule, WallClock::TimePoint now) {
  if (schedule.Hours <= 0) return false;
  if (!schedule.LastCheck || *schedule.LastCheck > now) return true;
  return now - *schedule.LastCheck >= std::chrono::hours(schedule.Hours);
}

std::vector<int> DueTasks(const TaskList& tasks, const std::filesystem::path& programFolder,
                          WallClock::TimePoint now) {
  const TaskStateFiles stateFiles(programFolder);
  std::vector<int> due;
  for (int i = 0; i < tasks.TaskCount(); ++i) {
    if (!tasks.Readable(i)) continue;
    try {
      const std::string& folderName = tasks.TaskLine(i, TaskRecord::kFolderNameLine);
      if (CheckDue(ReadCheckSchedule(stateFiles.StateFolder(folderName)), now)) due.push_back(i);
    } catch (const FileError&) {
      // A folder name that names no state folder has no schedule.
    }
  }
  return due;
}

}  // namespace vexilo
