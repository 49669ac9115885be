#pragma once
// TDeleteTaskForm, the delete confirmation: asks whether to delete the task's settings and
// searching results, its downloaded pictures, or both. Created once and kept for the run, so
// the boxes keep the user's last choice. Main thread only.

#include <QDialog>

#include "tasks/TaskDialogs.h"

class QCheckBox;

namespace vexilo {

class TDeleteTaskForm : public QDialog, public DeleteTaskDialog {
  Q_OBJECT

 public:
  explicit TDeleteTaskForm(QWidget* parent = nullptr);

  std::optional<DeleteChoice> AskDeleteTask() override;

 private:
  QCheckBox* mTaskSettings = nullptr;
  QCheckBox* mPictures = nullptr;
};

}  // namespace vexilo
