#pragma once
// TTaskWizardForm, the new task wizard: four pages that make the fields of a new task, or a
// quick task from one address. Created once and kept for the run, so its inputs keep their
// values from one use to the next; every showing starts on the first page. Main thread only.

#include <QDialog>

#include "core/UserPrompts.h"
#include "shell/AppSettings.h"
#include "tasks/TaskDialogs.h"
#include "tasks/TaskFormPages.h"

class QLabel;
class QPushButton;
class QStackedWidget;

namespace vexilo {

class TTaskWizardForm : public QDialog, public NewTaskDialog {
  Q_OBJECT

 public:
  // settings gives the download folder new tasks go to; both outlive the window.
  TTaskWizardForm(const AppSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

  bool ShowNewTaskWizard(TaskRecord& record) override;
  std::string QuickTaskAddress() const override;

  int CurrentPage() const { return mPage; }

 private:
  void ShowPage(int page);
  void NextClicked();

  const AppSettings& mSettings;
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
