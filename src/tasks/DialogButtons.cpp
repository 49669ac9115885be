#include "tasks/DialogButtons.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>

namespace vexilo {

QHBoxLayout* MakeOkCancelRow(QDialog* dialog, QPushButton** ok) {
  *ok = new QPushButton("OK");
  (*ok)->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(*ok);
  buttons->addWidget(cancel);
  return buttons;
}

QFrame* SunkenLine() {
  auto* line = new QFrame;
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

}  // namespace vexilo
