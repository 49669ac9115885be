#include "tasks/DeleteTaskUnit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "tasks/DialogButtons.h"

namespace vexilo {
namespace {

constexpr int kDeleteWidth = 359;
constexpr int kDeleteHeight = 121;
constexpr int kDeletePictureSize = 32;

}  // namespace

TDeleteTaskForm::TDeleteTaskForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Confirm Delete ");
  setFixedSize(kDeleteWidth, kDeleteHeight);

  auto* picture = new QLabel;
  picture->setPixmap(
      style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kDeletePictureSize));
  mTaskSettings = new QCheckBox("Delete task settings and searching results");
  mTaskSettings->setObjectName("deleteTaskSettings");
  mTaskSettings->setChecked(true);
  mPictures = new QCheckBox("Delete pictures downloaded ");
  mPictures->setObjectName("deletePictures");
  mPictures->setChecked(true);

  QPushButton* ok = nullptr;
  QHBoxLayout* buttons = MakeOkCancelRow(this, &ok);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(12, 10, 12, 10);
  layout->setVerticalSpacing(2);
  layout->addWidget(picture, 0, 0, 3, 1, Qt::AlignTop);
  layout->addWidget(new QLabel("Are you sure you want to:"), 0, 1);
  layout->addWidget(mTaskSettings, 1, 1);
  layout->addWidget(mPictures, 2, 1);
  layout->setColumnStretch(1, 1);
  layout->setRowStretch(3, 1);
  layout->addLayout(buttons, 4, 0, 1, 2);
}

std::optional<DeleteChoice> TDeleteTaskForm::AskDeleteTask() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return DeleteChoice{mTaskSettings->isChecked(), mPictures->isChecked()};
}

}  // namespace vexilo
