#include "tasks/TaskForm.h"

#include "core/TextRules.h"
#include "tasks/TaskList.h"

namespace vexilo {
namespace {

std::int32_t LimitValue(const LimitInput& limit) {
  return limit.Ticked ? BoxNumber(limit.Value) : 0;
}

LimitInput LimitFor(std::int32_t value) { return {value != 0, std::to_string(value)}; }

const std::string& TypeOf(TaskKind kind) {
  switch (kind) {
    case TaskKind::Normal:
      return kNormalTaskType;
    case TaskKind::Advanced:
      return kAdvancedTaskType;
    case TaskKind::Quick:
      break;
  }
  return kQuickTaskType;
}

// Every field but the two folder fields, which the callers choose.
TaskRecord RecordFromForm(const TaskForm& form) {
  TaskRecord r;
  r.GrabFromLinks = form.GrabFromLinks ? kYes : kNo;
  r.DownloadUrlFilter = form.DownloadUrlFilter;
  r.SearchUrlFilter = form.SearchUrlFilter;
  r.LinkCutFrom = form.LinkCutFrom;
  r.LinkCutTo = form.LinkCutTo;
  r.TaskType = TypeOf(form.Kind);
  r.ManualLogin = form.ManualLogin ? 1 : 0;
  r.Name = form.Name;
  r.StartUrl = form.StartUrl;
  r.LinkLevels = BoxNumber(form.LinkLevels);
  r.LinkScope = form.LinkScope >= 0 && form.LinkScope <= 3 ? form.LinkScope : 0;
  r.IdleSeconds = BoxNumber(form.IdleSeconds);
  r.MinSizeKb = LimitValue(form.MinSizeKb);
  r.MaxSizeKb = LimitValue(form.MaxSizeKb);
  r.MinWidth = LimitValue(form.MinWidth);
  r.MinHeight = LimitValue(form.MinHeight);
  return r;
}

}  // namespace

std::int32_t BoxNumber(std::string_view text) { return ParseWholeNumber(Trim(text)).value_or(0); }

std::optional<FormRefusal> CheckNamePage(const TaskForm& form) {
  if (form.Name.empty()) return FormRefusal{kBlankNameMessage, FormField::Name};
  if (form.StartUrl.empty()) return FormRefusal{kBlankAddressMessage, FormField::StartUrl};
  return std::nullopt;
}

std::optional<FormRefusal> CheckQuickAddress(const TaskForm& form) {
  if (form.QuickAddress.empty()) return FormRefusal{kBlankAddressMessage, FormField::QuickAddress};
  return std::nullopt;
}

bool AdvancedGroupEnabled(TaskKind kind) { return kind == TaskKind::Advanced; }

bool LeavingTabAllowed(const TaskForm& form) { return form.Kind != TaskKind::Quick; }

TaskRecord NewTaskFromForm(const TaskForm& form, const std::string& downFolder,
                           const std::filesystem::path& programFolder) {
  TaskRecord r = RecordFromForm(form);
  AssignNewTaskFolder(r, downFolder, programFolder);
  return r;
}

TaskRecord EditedTaskFromForm(const TaskForm& form, const TaskRecord& current,
                              const std::string& downFolder,
                              const std::filesystem::path& programFolder) {
  TaskRecord r = RecordFromForm(form);
  if (r.Name == current.Name && IsPlainFolderName(current.FolderName)) {
    r.TaskFolder = current.TaskFolder;
    r.FolderName = current.FolderName;
  } else {
    AssignNewTaskFolder(r, downFolder, programFolder);
  }
  return r;
}

TaskForm FormForTask(const TaskRecord& record, TaskForm shown) {
  shown.GrabFromLinks = record.GrabFromLinks == kYes;
  shown.DownloadUrlFilter = record.DownloadUrlFilter;
  shown.SearchUrlFilter = record.SearchUrlFilter;
  shown.LinkCutFrom = record.LinkCutFrom;
  shown.LinkCutTo = record.LinkCutTo;
  shown.Kind = record.TaskType == kNormalTaskType     ? TaskKind::Normal
               : record.TaskType == kAdvancedTaskType ? TaskKind::Advanced
                                                      : TaskKind::Quick;
  if (record.TaskType == kQuickTaskType) shown.QuickAddress = record.StartUrl;
  shown.ManualLogin = record.ManualLogin == 1;
  if (record.LinkScope >= 0 && record.LinkScope <= 3) shown.LinkScope = record.LinkScope;
  shown.Name = record.Name;
  shown.StartUrl = record.StartUrl;
  shown.LinkLevels = std::to_string(record.LinkLevels);
  shown.IdleSeconds = std::to_string(record.IdleSeconds);
  shown.MinSizeKb = LimitFor(record.MinSizeKb);
  shown.MaxSizeKb = LimitFor(record.MaxSizeKb);
  shown.MinWidth = LimitFor(record.MinWidth);
  shown.MinHeight = LimitFor(record.MinHeight);
  return shown;
}

}  // namespace vexilo
