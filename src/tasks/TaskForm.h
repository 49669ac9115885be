#pragma once
// The inputs of the new task wizard and of the task settings dialog, and the rules that turn
// them into a task record and back. Both windows only show and collect these values.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/TaskRecord.h"

namespace vexilo {

enum class TaskKind { Normal, Advanced, Quick };

// A check box with its whole-number box ("Width larger than " and the like).
struct LimitInput {
  bool Ticked = false;
  std::string Value = "0";

  bool operator==(const LimitInput&) const = default;
};

struct TaskForm {
  TaskKind Kind = TaskKind::Normal;
  std::string QuickAddress;
  std::string Name;
  std::string StartUrl;
  std::string SearchUrlFilter;
  std::string DownloadUrlFilter;
  bool GrabFromLinks = false;
  std::string LinkCutFrom;
  std::string LinkCutTo;
  bool ManualLogin = false;
  std::string LinkLevels = "9";
  int LinkScope = 1;  // the ticked "Page Location:" radio, 0 to 3; -1 when none is ticked
  std::string IdleSeconds = "10";
  LimitInput MinSizeKb;  // the size rows are never shown, so the wizard never ticks them
  LimitInput MaxSizeKb;
  LimitInput MinWidth;
  LimitInput MinHeight;

  bool operator==(const TaskForm&) const = default;
};

// A whole-number box takes any whole number, with blanks around it; any other text is 0.
std::int32_t BoxNumber(std::string_view text);

// The input a refused "Next" puts the focus on.
enum class FormField { Name, StartUrl, QuickAddress };

struct FormRefusal {
  std::string Message;
  FormField Focus;
};

inline constexpr const char* kBlankNameMessage = "Task name can't be blank!";
inline constexpr const char* kBlankAddressMessage = "Starting address can't be blank!";

// "Next" on the name page: the name is checked first; only emptiness counts.
std::optional<FormRefusal> CheckNamePage(const TaskForm& form);
// "Next" on the type page with "Quick Task" ticked.
std::optional<FormRefusal> CheckQuickAddress(const TaskForm& form);

// The advanced group of the name page is enabled for an Advanced Task only.
bool AdvancedGroupEnabled(TaskKind kind);
// The settings dialog of a quick task stays on the tab it shows.
bool LeavingTabAllowed(const TaskForm& form);

// The wizard's "Start": the record the form describes, with the folder of a new task for its
// name in downFolder (AssignNewTaskFolder; programFolder holds the state folders). Raises
// InputError when no folder can be chosen.
TaskRecord NewTaskFromForm(const TaskForm& form, const std::string& downFolder,
                           const std::filesystem::path& programFolder);
// The settings dialog's "OK": as NewTaskFromForm, except that a task whose name is
// unchanged keeps its folders (when its folder name is a plain one), so its saved pictures
// and progress stay its own.
TaskRecord EditedTaskFromForm(const TaskForm& form, const TaskRecord& current,
                              const std::string& downFolder,
                              const std::filesystem::path& programFolder);
// The settings dialog's showing: shown (the inputs as the user left them) updated from the
// record. A link scope outside 0 to 3 leaves the radios, any type but "2" the quick address.
TaskForm FormForTask(const TaskRecord& record, TaskForm shown);

}  // namespace vexilo
