#include "shell/AdvancedSettingsUnit.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <utility>

#include "core/AppSettings.h"
#include "core/UserPrompts.h"
#include "shell/AdvancedOptions.h"
#include "shell/DialogBand.h"
#include "shell/DownloadSettings.h"
#include "tasks/DialogButtons.h"

namespace vexilo {

TAdvancedSettingsForm::TAdvancedSettingsForm(AppSettings& settings, SettingsStore& store,
                                             UserPrompts& prompts, std::function<void()> applied,
                                             QWidget* parent)
    : QDialog(parent),
      mSettings(settings),
      mStore(store),
      mPrompts(prompts),
      mApplied(std::move(applied)) {
  setWindowTitle("Advanced Settings");

  auto* body = new QVBoxLayout;
  body->setContentsMargins(12, 8, 12, 8);
  for (const AdvancedOption& option : AdvancedOptions()) {
    auto* box = new QCheckBox(option.Caption);
    auto* help = new QLabel(option.Help);
    help->setWordWrap(true);
    help->setForegroundRole(QPalette::PlaceholderText);
    help->setContentsMargins(22, 0, 0, 6);
    help->setBuddy(box);
    body->addWidget(box);
    body->addWidget(help);
    mBoxes.push_back(box);
  }
  body->addStretch();
  body->addWidget(SunkenLine());
  body->addLayout(MakeOkCancelRow(this, &mOk));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(
      DialogBand("Advanced Settings", "Each option applies from the next crawl or listing on."));
  layout->addWidget(SunkenLine());
  layout->addLayout(body, 1);
  setFixedWidth(520);

  connect(mOk, &QPushButton::clicked, this, &TAdvancedSettingsForm::AcceptOptions);
}

void TAdvancedSettingsForm::FillBoxes() {
  for (size_t i = 0; i < mBoxes.size(); ++i) {
    mBoxes[i]->setChecked(mSettings.Advanced.*AdvancedOptions()[i].Flag);
  }
  if (!mBoxes.empty()) mBoxes.front()->setFocus();
}

int TAdvancedSettingsForm::ShowModal() {
  FillBoxes();
  adjustSize();
  if (parentWidget() != nullptr) {
    move(parentWidget()->frameGeometry().center() - rect().center());
  }
  return exec();
}

void TAdvancedSettingsForm::AcceptOptions() {
  for (size_t i = 0; i < mBoxes.size(); ++i) {
    mSettings.Advanced.*AdvancedOptions()[i].Flag = mBoxes[i]->isChecked();
  }
  // The choices hold for this run even when the store fails; the user is told they were not kept.
  if (mApplied) mApplied();
  try {
    SaveSettings(mStore, mSettings);
  } catch (const std::exception& error) {
    mPrompts.ShowError(error.what());
    return;
  }
  accept();
}

}  // namespace vexilo
