#include "tasks/StartUnit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <utility>

#include "core/Errors.h"
#include "tasks/DialogButtons.h"
#include "tasks/TaskWizardFlow.h"

namespace vexilo {
namespace {

constexpr int kStartWidth = 448;
constexpr int kStartHeight = 362;
constexpr int kStartPictureSize = 48;

// The header's picture: a framed landscape, what the wizard's tasks go looking for.
QPixmap HeaderPicture() {
  QPixmap picture(kStartPictureSize, kStartPictureSize);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  QRectF frame(4, 8, 40, 32);
  p.setPen(QPen(QColor(90, 90, 90), 2));
  p.setBrush(QColor(170, 215, 250));
  p.drawRoundedRect(frame, 3, 3);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 200, 40));
  p.drawEllipse(QPointF(33, 17), 4, 4);
  QPainterPath hills;
  hills.moveTo(5, 39);
  hills.lineTo(17, 22);
  hills.lineTo(25, 31);
  hills.lineTo(30, 26);
  hills.lineTo(43, 39);
  hills.closeSubpath();
  p.setBrush(QColor(60, 150, 70));
  p.drawPath(hills);
  return picture;
}

}  // namespace

TTaskWizardForm::TTaskWizardForm(const AppSettings& settings, std::filesystem::path programFolder,
                                 UserPrompts& prompts, QWidget* parent)
    : QDialog(parent),
      mSettings(settings),
      mProgramFolder(std::move(programFolder)),
      mPrompts(prompts) {
  setWindowTitle("New Task Wizard");
  setFixedSize(kStartWidth, kStartHeight);

  auto* header = new QWidget;
  header->setObjectName("header");
  header->setAutoFillBackground(true);
  QPalette band = header->palette();
  band.setColor(QPalette::Window, band.color(QPalette::Base));
  header->setPalette(band);
  auto* headerLayout = new QHBoxLayout(header);
  headerLayout->setContentsMargins(16, 8, 12, 8);
  auto* titles = new QVBoxLayout;
  auto* title = new QLabel("New Task Wizard");
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  mSubtitle = new QLabel;
  mSubtitle->setObjectName("subtitle");
  mSubtitle->setContentsMargins(12, 0, 0, 0);
  titles->addWidget(title);
  titles->addWidget(mSubtitle);
  headerLayout->addLayout(titles, 1);
  auto* picture = new QLabel;
  picture->setPixmap(HeaderPicture());
  headerLayout->addWidget(picture);

  mStack = new QStackedWidget;
  for (int page = 0; page < TaskFormPages::kPageCount; ++page) {
    mStack->addWidget(mPages.PageWidget(static_cast<TaskFormPages::Page>(page)));
  }

  mBack = new QPushButton("Back");
  mNext = new QPushButton("Next");
  mNext->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  connect(mBack, &QPushButton::clicked, this, [this] { ShowPage(BackFromPage(mPage)); });
  connect(mNext, &QPushButton::clicked, this, &TTaskWizardForm::NextClicked);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(10, 0, 10, 10);
  buttons->addStretch();
  buttons->addWidget(mBack);
  buttons->addWidget(mNext);
  buttons->addSpacing(8);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(header);
  layout->addWidget(SunkenLine());
  auto* body = new QVBoxLayout;
  body->setContentsMargins(14, 6, 14, 6);
  body->addWidget(mStack);
  layout->addLayout(body, 1);
  layout->addWidget(SunkenLine());
  layout->addSpacing(10);
  layout->addLayout(buttons);
  ShowPage(1);
}

bool TTaskWizardForm::ShowNewTaskWizard(TaskRecord& record) {
  mQuickTask = false;
  ShowPage(1);
  if (exec() != QDialog::Accepted) return false;
  if (mQuickTask) {
    record.TaskType = kQuickTaskType;
  } else {
    record = mResult;
  }
  return true;
}

std::string TTaskWizardForm::QuickTaskAddress() const { return mPages.Form().QuickAddress; }

void TTaskWizardForm::ShowPage(int page) {
  mPage = page;
  mStack->setCurrentIndex(page - 1);
  mSubtitle->setText(WizardSubtitle(page));
  mBack->setEnabled(BackEnabled(page));
  mNext->setText(NextCaption(page));
}

void TTaskWizardForm::NextClicked() {
  TaskForm form = mPages.Form();
  WizardNext next = NextFromPage(mPage, form);
  switch (next.What) {
    case WizardNext::Action::ShowPage:
      if (mPage == 1) mPages.SetAdvancedEnabled(AdvancedGroupEnabled(form.Kind));
      ShowPage(next.Page);
      break;
    case WizardNext::Action::Refuse:
      mPrompts.ShowMessage(next.Refusal->Message);
      mPages.Focus(next.Refusal->Focus);
      break;
    case WizardNext::Action::AcceptQuickTask:
      mQuickTask = true;
      accept();
      break;
    case WizardNext::Action::Start:
      try {
        mResult = NewTaskFromForm(form, mSettings.DownFolder, mProgramFolder);
        accept();
      } catch (const InputError& e) {
        mPrompts.ShowError(e.what());
      }
      break;
  }
}

}  // namespace vexilo
