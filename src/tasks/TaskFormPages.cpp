#include "tasks/TaskFormPages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vexilo {
namespace {

constexpr int kNumberBoxWidth = 56;
constexpr int kExplanationIndent = 20;

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QString& text) { return text.toStdString(); }

QLabel* Explanation(const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text));
  label->setWordWrap(true);
  label->setContentsMargins(kExplanationIndent, 0, 0, 0);
  return label;
}

QLineEdit* NumberBox(const char* objectName) {
  auto* box = new QLineEdit;
  box->setObjectName(objectName);
  box->setFixedWidth(kNumberBoxWidth);
  return box;
}

QLineEdit* TextBox(const char* objectName) {
  auto* box = new QLineEdit;
  box->setObjectName(objectName);
  return box;
}

QWidget* Row(std::initializer_list<QWidget*> widgets) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  for (QWidget* widget : widgets) layout->addWidget(widget);
  layout->addStretch();
  return row;
}

QVBoxLayout* PageLayout(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  return layout;
}

QLabel* Heading(const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text));
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

}  // namespace

TaskFormPages::TaskFormPages() {
  mPages = {MakeTypePage(), MakeGeneralPage(), MakeLinksPage(), MakeSizePage()};
  ShowForm(TaskForm{});
}

QWidget* TaskFormPages::MakeTypePage() {
  auto* page = new QWidget;
  QVBoxLayout* layout = PageLayout(page);
  mKindGroup = new QButtonGroup(page);
  struct Choice {
    TaskKind Kind;
    const char* Caption;
    const char* ObjectName;
    const char* Explanation;
  };
  const Choice choices[] = {
      {TaskKind::Normal, "Normal Task", "normalTask",
       "Download the pictures within one site or some related sites"},
      {TaskKind::Advanced, "Advanced Task", "advancedTask",
       "The advanced customization options lets you can do more things. For example: You can "
       "download hundreds of thousands pictures about dogs on the internet."},
      {TaskKind::Quick, "Quick Task", "quickTask",
       "Input the start URL, and quick start the vexilo task by using the default vexilo "
       "settings."},
  };
  for (const Choice& choice : choices) {
    auto* radio = new QRadioButton(QString::fromUtf8(choice.Caption));
    radio->setObjectName(choice.ObjectName);
    mKindGroup->addButton(radio, static_cast<int>(choice.Kind));
    layout->addWidget(radio);
    if (choice.Kind == TaskKind::Quick) {
      mQuickAddress = new QComboBox;
      mQuickAddress->setObjectName("quickAddress");
      mQuickAddress->setEditable(true);
      mQuickAddress->setInsertPolicy(QComboBox::NoInsert);
      auto* indented = new QWidget;
      auto* indent = new QHBoxLayout(indented);
      indent->setContentsMargins(kExplanationIndent, 0, 0, 0);
      indent->addWidget(mQuickAddress);
      layout->addWidget(indented);
    }
    layout->addWidget(Explanation(choice.Explanation));
    layout->addSpacing(6);
  }
  layout->addStretch();
  return page;
}

QWidget* TaskFormPages::MakeGeneralPage() {
  auto* page = new QWidget;
  QVBoxLayout* layout = PageLayout(page);
  layout->setSpacing(3);
  mName = TextBox("taskName");
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(new QLabel("Task name:"));
  nameRow->addWidget(mName);
  layout->addLayout(nameRow);
  layout->addWidget(new QLabel("Starting  address:"));
  mStartUrl = TextBox("startUrl");
  layout->addWidget(mStartUrl);

  mAdvancedGroup = new QWidget;
  mAdvancedGroup->setObjectName("advancedGroup");
  auto* advanced = new QVBoxLayout(mAdvancedGroup);
  advanced->setContentsMargins(0, 4, 0, 0);
  advanced->setSpacing(3);
  advanced->addWidget(new QLabel("String must be included in searching URL:"));
  mSearchFilter = TextBox("searchFilter");
  advanced->addWidget(mSearchFilter);
  advanced->addWidget(new QLabel("String must be included in downloading URL:"));
  mDownloadFilter = TextBox("downloadFilter");
  advanced->addWidget(mDownloadFilter);

  auto* grabFrame = new QGroupBox;
  auto* grab = new QVBoxLayout(grabFrame);
  grab->setContentsMargins(8, 2, 8, 4);
  grab->setSpacing(2);
  mGrabFromLinks = new QCheckBox("Grab Picture URL from links");
  mGrabFromLinks->setObjectName("grabFromLinks");
  grab->addWidget(mGrabFromLinks);
  mCutFrom = TextBox("cutFrom");
  mCutTo = TextBox("cutTo");
  auto* cutRow = new QHBoxLayout;
  cutRow->addWidget(new QLabel("Get Picture URL from links from sub-string"));
  cutRow->addWidget(mCutFrom);
  cutRow->addWidget(new QLabel("to "));
  cutRow->addWidget(mCutTo);
  grab->addLayout(cutRow);
  advanced->addWidget(grabFrame);

  mManualLogin = new QCheckBox("Manual login required");
  mManualLogin->setObjectName("manualLogin");
  advanced->addWidget(mManualLogin);
  layout->addWidget(mAdvancedGroup);
  layout->addStretch();
  return page;
}

QWidget* TaskFormPages::MakeLinksPage() {
  auto* page = new QWidget;
  QVBoxLayout* layout = PageLayout(page);
  layout->addWidget(Heading("Followed Links:"));
  mLevels = NumberBox("levelBox");
  layout->addWidget(Row({new QLabel("The starting page and"), mLevels, new QLabel("level(s).")}));
  layout->addSpacing(6);

  auto* location = new QGroupBox("Page Location:");
  auto* grid = new QGridLayout(location);
  mScopeGroup = new QButtonGroup(page);
  struct Scope {
    int Value;
    const char* Caption;
    const char* ObjectName;
    int Row;
    int Column;
  };
  const Scope scopes[] = {
      {0, "AnyWhere", "scopeAnywhere", 0, 0},
      {2, "Directory and sub-directories", "scopeSubDirectories", 1, 0},
      {1, "Within current site", "scopeSite", 0, 1},
      {3, "Within current directory", "scopeDirectory", 1, 1},
  };
  for (const Scope& scope : scopes) {
    auto* radio = new QRadioButton(scope.Caption);
    radio->setObjectName(scope.ObjectName);
    mScopeGroup->addButton(radio, scope.Value);
    grid->addWidget(radio, scope.Row, scope.Column);
  }
  layout->addWidget(location);
  layout->addSpacing(6);

  layout->addWidget(Heading("Interval:"));
  mSeconds = NumberBox("secondsBox");
  layout->addWidget(
      Row({new QLabel("Skip the web page if idle for"), mSeconds, new QLabel("seconds.")}));
  layout->addStretch();
  return page;
}

QWidget* TaskFormPages::MakeSizePage() {
  auto* page = new QWidget;
  QVBoxLayout* layout = PageLayout(page);
  auto* group = new QGroupBox("Only download the picture ....");
  auto* rows = new QGridLayout(group);
  rows->setColumnStretch(3, 1);
  struct Limit {
    LimitRow* Target;
    const char* Caption;
    const char* Unit;
    const char* CheckName;
    const char* BoxName;
    bool Shown;
  };
  const Limit limits[] = {
      {&mMinSize, "Size larger than ", "kb", "minSizeCheck", "minSizeBox", false},
      {&mMaxSize, "Size smaller than ", "kb", "maxSizeCheck", "maxSizeBox", false},
      {&mMinWidth, "Width larger than ", "Pixers (estimate)", "widthCheck", "widthBox", true},
      {&mMinHeight, "Height larger than ", "Pixers (estimate)", "heightCheck", "heightBox", true},
  };
  int row = 0;
  for (const Limit& limit : limits) {
    limit.Target->Check = new QCheckBox(limit.Caption);
    limit.Target->Check->setObjectName(limit.CheckName);
    limit.Target->Box = NumberBox(limit.BoxName);
    auto* unit = new QLabel(limit.Unit);
    rows->addWidget(limit.Target->Check, row, 0);
    rows->addWidget(limit.Target->Box, row, 1);
    rows->addWidget(unit, row, 2);
    // The size rows carry a limit a task already has through the dialog, unchangeable.
    limit.Target->Check->setVisible(limit.Shown);
    limit.Target->Box->setVisible(limit.Shown);
    unit->setVisible(limit.Shown);
    ++row;
  }
  layout->addWidget(group);
  auto* note = new QLabel(
      "Note: Vexilo estimates the size of picture before downloading, so there maybe has "
      "offset.");
  note->setWordWrap(true);
  layout->addWidget(note);
  layout->addStretch();
  return page;
}

TaskForm TaskFormPages::Form() const {
  TaskForm form;
  form.Kind = Kind();
  form.QuickAddress = Text(mQuickAddress->currentText());
  form.Name = Text(mName->text());
  form.StartUrl = Text(mStartUrl->text());
  form.SearchUrlFilter = Text(mSearchFilter->text());
  form.DownloadUrlFilter = Text(mDownloadFilter->text());
  form.GrabFromLinks = mGrabFromLinks->isChecked();
  form.LinkCutFrom = Text(mCutFrom->text());
  form.LinkCutTo = Text(mCutTo->text());
  form.ManualLogin = mManualLogin->isChecked();
  form.LinkLevels = Text(mLevels->text());
  form.LinkScope = mScopeGroup->checkedId();
  form.IdleSeconds = Text(mSeconds->text());
  form.MinSizeKb = ReadLimit(mMinSize);
  form.MaxSizeKb = ReadLimit(mMaxSize);
  form.MinWidth = ReadLimit(mMinWidth);
  form.MinHeight = ReadLimit(mMinHeight);
  return form;
}

void TaskFormPages::ShowForm(const TaskForm& form) {
  mKindGroup->button(static_cast<int>(form.Kind))->setChecked(true);
  mQuickAddress->setCurrentText(Text(form.QuickAddress));
  mName->setText(Text(form.Name));
  mStartUrl->setText(Text(form.StartUrl));
  mSearchFilter->setText(Text(form.SearchUrlFilter));
  mDownloadFilter->setText(Text(form.DownloadUrlFilter));
  mGrabFromLinks->setChecked(form.GrabFromLinks);
  mCutFrom->setText(Text(form.LinkCutFrom));
  mCutTo->setText(Text(form.LinkCutTo));
  mManualLogin->setChecked(form.ManualLogin);
  mLevels->setText(Text(form.LinkLevels));
  if (QAbstractButton* scope = mScopeGroup->button(form.LinkScope)) scope->setChecked(true);
  mSeconds->setText(Text(form.IdleSeconds));
  ShowLimit(mMinSize, form.MinSizeKb);
  ShowLimit(mMaxSize, form.MaxSizeKb);
  ShowLimit(mMinWidth, form.MinWidth);
  ShowLimit(mMinHeight, form.MinHeight);
}

TaskKind TaskFormPages::Kind() const { return static_cast<TaskKind>(mKindGroup->checkedId()); }

void TaskFormPages::SetAdvancedEnabled(bool enabled) { mAdvancedGroup->setEnabled(enabled); }

void TaskFormPages::Focus(FormField field) {
  switch (field) {
    case FormField::Name:
      mName->setFocus();
      break;
    case FormField::StartUrl:
      mStartUrl->setFocus();
      break;
    case FormField::QuickAddress:
      mQuickAddress->setFocus();
      break;
  }
}

LimitInput TaskFormPages::ReadLimit(const LimitRow& row) {
  return {row.Check->isChecked(), Text(row.Box->text())};
}

void TaskFormPages::ShowLimit(const LimitRow& row, const LimitInput& limit) {
  row.Check->setChecked(limit.Ticked);
  row.Box->setText(Text(limit.Value));
}

}  // namespace vexilo
