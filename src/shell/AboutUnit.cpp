#include "shell/AboutUnit.h"

#include <QtWebEngineCore/qtwebenginecoreglobal.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/AppIcon.h"
#include "shell/ProductInfo.h"
#include "tasks/DialogButtons.h"

namespace vexilo {

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About Vexilo");
  setFixedSize(399, 193);

  auto* icon = new QLabel;
  icon->setObjectName("icon");
  icon->setPixmap(AppIcon().pixmap(32, 32));
  icon->setAlignment(Qt::AlignTop | Qt::AlignLeft);

  auto* title = new QLabel(kProductTitle);
  title->setObjectName("title");
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.4);
  title->setFont(bold);

  auto* engine = new QLabel(QString("(Chromium: ") + qWebEngineChromiumVersion() + ")");
  engine->setObjectName("engineVersion");

  auto* text = new QVBoxLayout;
  text->setSpacing(2);
  text->addWidget(title);
  text->addWidget(engine);
  text->addWidget(new QLabel(kMakerNotice));
  auto* summary = new QLabel(kProductSummary);
  summary->setObjectName("summary");
  summary->setWordWrap(true);
  text->addWidget(summary);

  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addSpacing(8);
  top->addLayout(text, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 8, 10, 8);
  layout->setSpacing(4);
  layout->addLayout(top);
  layout->addStretch();
  layout->addWidget(SunkenLine());
  layout->addWidget(buttons);
}

}  // namespace vexilo
