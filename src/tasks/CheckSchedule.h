#pragma once
// How often a task is checked for new pictures, kept in the task's state folder beside the
// state files (the task list's blocks stay as they are): the hours between two checks and when
// the last one started. A missing or hand-garbled file reads as a task that is never checked.

#include <filesystem>
#include <optional>
#include <vector>

#include "core/Clock.h"

namespace vexilo {

inline constexpr const char* kCheckScheduleFile = "schedule.txt";
inline constexpr int kMostCheckHours = 8760;  // a year

struct CheckSchedule {
  int Hours = 0;  // 0: never
  std::optional<WallClock::TimePoint> LastCheck;

  bool operator==(const CheckSchedule&) const = default;
};

CheckSchedule ReadCheckSchedule(const std::filesystem::path& stateFolder);
// Creates the state folder when the task has none yet. Raises FileError.
void WriteCheckSchedule(const std::filesystem::path& stateFolder, const CheckSchedule& schedule);

// A scheduled task is due when it was never checked, when its hours have passed since, or
// when its last check lies ahead (the clock was set back), so that no check is lost.
bool CheckDue(const CheckSchedule& schedule, WallClock::TimePoint now);

class TaskList;

// The tasks whose scheduled check is due, in the task list's order; a task whose block cannot
// be read is left out.
std::vector<int> DueTasks(const TaskList& tasks, const std::filesystem::path& programFolder,
                          WallClock::TimePoint now);

}  // namespace vexilo
