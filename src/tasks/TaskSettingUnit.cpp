#include "tasks/TaskSettingUnit.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>
#include <utility>

#include "core/Errors.h"
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

bool TTaskSettingForm::ShowTaskSettings(TaskRecord& record) {
  mShown = record;
  mPages.ShowForm(FormForTask(record, mPages.Form()));
  {
    QSignalBlocker quiet(mTabs);
    mTabs->setCurrentIndex(TaskFormPages::kTypePage);
  }
  mTab = TaskFormPages::kTypePage;
  if (exec() != QDialog::Accepted) return false;
  record = mResult;
  return true;
}

void TTaskSettingForm::TabChanged(int index) {
  if (!LeavingTabAllowed(mPages.Form())) {
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
