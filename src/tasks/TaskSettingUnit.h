#pragma once
// TTaskSettingForm, the task settings dialog: the current task on the four tabs "Type",
// "General", "Following Links" and "Size Filter", and its checks for new pictures on a fifth,
// "Schedule", written back on "OK". Created once and
// kept for the run; every showing fills it from the record. Main thread only.

#include <QDialog>
#include <filesystem>

#include "core/AppSettings.h"
#include "core/UserPrompts.h"
#include "tasks/TaskDialogs.h"
#include "tasks/TaskFormPages.h"

class QSpinBox;
class QTabWidget;

namespace vexilo {

class TTaskSettingForm : public QDialog, public TaskSettingsDialog {
  Q_OBJECT

 public:
  // settings gives the download folder a renamed task moves to; both it and prompts outlive
  // the window. programFolder holds the state folders a new folder name must not take.
  TTaskSettingForm(const AppSettings& settings, std::filesystem::path programFolder,
                   UserPrompts& prompts, QWidget* parent = nullptr);

  bool ShowTaskSettings(TaskRecord& record, int& checkHours) override;

 private:
  QWidget* MakeSchedulePage();
  void TabChanged(int index);
  void OkClicked();

  const AppSettings& mSettings;
  std::filesystem::path mProgramFolder;
  UserPrompts& mPrompts;
  TaskFormPages mPages;
  QTabWidget* mTabs = nullptr;
  QSpinBox* mCheckHours = nullptr;
  int mTab = 0;
  int mSchedulePage = -1;
  TaskRecord mShown;
  TaskRecord mResult;
};

}  // namespace vexilo
