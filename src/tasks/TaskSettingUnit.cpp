#include "tasks/TaskSettingUnit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <utility>

#include "core/Errors.h"
#include "tasks/CheckSchedule.h"
#include "tasks/DialogButtons.h"

namespace vexilo {
namespace {

constexpr int kSettingWidth = 508;
constexpr int kSettingHeight = 387;

}  // namespace

TTaskSettingForm::TTaskSettingForm(const AppSettings& settings, std::filesystem::path programFolder,
                                   UserPrompts& prompts, QWidget* parent)
    : QDialog(parent),
      mSettings(settings),
      mProgramFolder(std::move(programFolder)),
      mPrompts(prompts) {
  setWindowTitle("Task Settings");
  setFixedSize(kSettingWidth, kSettingHeight);

  mTabs = new QTabWidget;
  const char* captions[] = {"Type", "General", "Following Links", "Size Filter"};
  for (int page = 0; page < TaskFormPages::kPageCount; ++page) {
    mTabs->addTab(mPages.PageWidget(static_cast<TaskFormPages::Page>(page)), captions[page]);
  }
  mSchedulePage = mTabs->addTab(MakeSchedulePage(), "Schedule");
  connect(mTabs, &QTabWidget::currentChanged, this, &TTaskSettingForm::TabChanged);

  QPushButton* ok = nullptr;
  QHBoxLayout* buttons = MakeOkCancelRow(this, &ok);
  connect(ok, &QPushButton::clicked, this, &TTaskSettingForm::OkClicked);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 10);
  layout->addWidget(mTabs, 1);
  layout->addSpacing(4);
  layout->addLayout(buttons);
}

QWidget* TTaskSettingForm::MakeSchedulePage() {
  auto* page = new QWidget;
  mCheckHours = new QSpinBox;
  mCheckHours->setObjectName("checkHours");
  mCheckHours->setRange(0, kMostCheckHours);
  mCheckHours->setSpecialValueText("never");
  const auto suffix = [this](int hours) {
    mCheckHours->setSuffix(hours == 1 ? " hour" : " hours");
  };
  connect(mCheckHours, &QSpinBox::valueChanged, this, suffix);
  suffix(0);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Check for new pictures every"));
  row->addWidget(mCheckHours);
  row->addStretch(1);
  auto* note = new QLabel(
      "Vexilo checks the task while it runs, also in the tray, and after start-up when a check "
      "was missed while it was closed. \"vexilo --check\" checks the tasks that are due "
      "without a window, for cron or a systemd timer.");
  note->setWordWrap(true);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(row);
  layout->addSpacing(8);
  layout->addWidget(note);
  layout->addStretch(1);
  return page;
}

bool TTaskSettingForm::ShowTaskSettings(TaskRecord& record, int& checkHours) {
  mShown = record;
  mCheckHours->setValue(checkHours);
  mPages.ShowForm(FormForTask(record, mPages.Form()));
  {
    QSignalBlocker quiet(mTabs);
    mTabs->setCurrentIndex(TaskFormPages::kTypePage);
  }
  mTab = TaskFormPages::kTypePage;
  if (exec() != QDialog::Accepted) return false;
  record = mResult;
  checkHours = mCheckHours->value();
  return true;
}

void TTaskSettingForm::TabChanged(int index) {
  // The schedule is no page of the task's form: a quick task reaches it too.
  const bool formPage = index != mSchedulePage && index != TaskFormPages::kTypePage;
  if (formPage && !LeavingTabAllowed(mPages.Form())) {
    QSignalBlocker quiet(mTabs);
    mTabs->setCurrentIndex(mTab);
    return;
  }
  mTab = index;
  if (index == TaskFormPages::kGeneralPage) {
    mPages.SetAdvancedEnabled(AdvancedGroupEnabled(mPages.Kind()));
  }
}

void TTaskSettingForm::OkClicked() {
  try {
    mResult = EditedTaskFromForm(mPages.Form(), mShown, mSettings.DownFolder, mProgramFolder);
    accept();
  } catch (const InputError& e) {
    mPrompts.ShowError(e.what());
  }
}

}  // namespace vexilo
