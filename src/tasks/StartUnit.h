#pragma once
// TTaskWizardForm, the new task wizard: four pages that make the fields of a new task, or a
// quick task from one address. Created once and kept for the run, so its inputs keep their
// values from one use to the next; every showing starts on the first page. Main thread only.

#include <QDialog>
#include <filesystem>

#include "core/AppSettings.h"
#include "core/UserPrompts.h"
#include "tasks/TaskDialogs.h"
#include "tasks/TaskFormPages.h"

class QLabel;
class QPushButton;
class QStackedWidget;

namespace vexilo {

class TTaskWizardForm : public QDialog, public NewTaskDialog {
  Q_OBJECT

 public:
  // settings gives the download folder new tasks go to; both it and prompts outlive the
  // window. programFolder holds the state folders a new task's folder name must not take.
  TTaskWizardForm(const AppSettings& settings, std::filesystem::path programFolder,
                  UserPrompts& prompts, QWidget* parent = nullptr);

  bool ShowNewTaskWizard(TaskRecord& record) override;
  std::string QuickTaskAddress() const override;

  int CurrentPage() const { return mPage; }

 private:
  void ShowPage(int page);
  void NextClicked();

  const AppSettings& mSettings;
  std::filesystem::path mProgramFolder;
  UserPrompts& mPrompts;
  TaskFormPages mPages;
  QStackedWidget* mStack = nullptr;
  QLabel* mSubtitle = nullptr;
  QPushButton* mBack = nullptr;
  QPushButton* mNext = nullptr;
  int mPage = 1;
  bool mQuickTask = false;
  TaskRecord mResult;
};

}  // namespace vexilo
