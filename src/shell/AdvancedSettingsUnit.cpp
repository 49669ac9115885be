#include "shell/AdvancedSettingsUnit.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
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

  constexpr int kWidth = 520;
  auto* options = new QWidget;
  auto* body = new QVBoxLayout(options);
  body->setContentsMargins(12, 8, 12, 8);
  mTodaysWeb = new TodaysWebSwitch(kTodaysWebCaption);
  QFont bold = mTodaysWeb->font();
  bold.setBold(true);
  mTodaysWeb->setFont(bold);
  auto* switchHelp = new QLabel(
      "Ticks every option below that finds and downloads pictures on sites built with "
      "scripts, lazy loading and modern picture kinds. Unticked, Vexilo crawls as it "
      "always did.");
  switchHelp->setWordWrap(true);
  switchHelp->setForegroundRole(QPalette::PlaceholderText);
  switchHelp->setContentsMargins(22, 0, 0, 6);
  body->addWidget(mTodaysWeb);
  body->addWidget(switchHelp);
  body->addWidget(SunkenLine());
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
    if (option.ForTodaysWeb) connect(box, &QCheckBox::toggled, this, [this] { ShowTodaysWeb(); });
  }
  connect(mTodaysWeb, &QCheckBox::clicked, this, [this] {
    const bool on = mTodaysWeb->checkState() == Qt::Checked;
    for (size_t i = 0; i < mBoxes.size(); ++i) {
      if (AdvancedOptions()[i].ForTodaysWeb) mBoxes[i]->setChecked(on);
    }
  });
  for (const AdvancedNumber& number : AdvancedNumbers()) {
    auto* field = new QSpinBox;
    field->setRange(number.Least, number.Most);
    auto* caption = new QLabel(number.Caption);
    caption->setBuddy(field);
    auto* row = new QHBoxLayout;
    row->addWidget(caption);
    row->addWidget(field);
    row->addStretch();
    auto* help = new QLabel(number.Help);
    help->setWordWrap(true);
    help->setForegroundRole(QPalette::PlaceholderText);
    help->setContentsMargins(22, 0, 0, 6);
    body->addLayout(row);
    body->addWidget(help);
    mNumberFields.push_back(field);
  }
  body->addStretch();
  // The list grows with every option: it scrolls rather than squeeze the wrapped help lines
  // of a screen too short for it.
  auto* scroll = new QScrollArea;
  scroll->setWidget(options);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int room = screen != nullptr ? screen->availableGeometry().height() * 3 / 4 : 600;
  // Wrapped beside a scroll bar, so that the list shows whole without one when there is room.
  const int narrowest = kWidth - style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  scroll->setMinimumHeight(std::min(options->heightForWidth(narrowest), room));
  auto* buttons = new QVBoxLayout;
  buttons->setContentsMargins(12, 0, 12, 8);
  buttons->addWidget(SunkenLine());
  buttons->addLayout(MakeOkCancelRow(this, &mOk));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(
      DialogBand("Advanced Settings", "Each option applies from the next crawl or listing on."));
  layout->addWidget(SunkenLine());
  layout->addWidget(scroll, 1);
  layout->addLayout(buttons);
  setFixedWidth(kWidth);

  connect(mOk, &QPushButton::clicked, this, &TAdvancedSettingsForm::AcceptOptions);
}

void TodaysWebSwitch::nextCheckState() {
  setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void TAdvancedSettingsForm::ShowTodaysWeb() {
  int on = 0;
  int all = 0;
  for (size_t i = 0; i < mBoxes.size(); ++i) {
    if (!AdvancedOptions()[i].ForTodaysWeb) continue;
    ++all;
    if (mBoxes[i]->isChecked()) ++on;
  }
  mTodaysWeb->setCheckState(on == 0     ? Qt::Unchecked
                            : on == all ? Qt::Checked
                                        : Qt::PartiallyChecked);
}

void TAdvancedSettingsForm::FillBoxes() {
  for (size_t i = 0; i < mBoxes.size(); ++i) {
    mBoxes[i]->setChecked(mSettings.Advanced.*AdvancedOptions()[i].Flag);
  }
  for (size_t i = 0; i < mNumberFields.size(); ++i) {
    mNumberFields[i]->setValue(mSettings.Advanced.*AdvancedNumbers()[i].Value);
  }
  ShowTodaysWeb();
  mTodaysWeb->setFocus();
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
  for (size_t i = 0; i < mNumberFields.size(); ++i) {
    mNumberFields[i]->interpretText();
    mSettings.Advanced.*AdvancedNumbers()[i].Value = mNumberFields[i]->value();
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
