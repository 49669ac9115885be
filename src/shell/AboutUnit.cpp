#include "shell/AboutUnit.h"

#include <QtWebEngineCore/qtwebenginecoreglobal.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/DesktopShell.h"
#include "shell/AppIcon.h"
#include "shell/LinkLabel.h"
#include "shell/ProductInfo.h"
#include "tasks/DialogButtons.h"

namespace vexilo {

TAboutForm::TAboutForm(DesktopShell& shell, QWidget* parent)
    : QDialog(parent),
      mShell(shell),
      mHomePage(new TLinkLabel(kHomePage)),
      mSupport(new TLinkLabel(kSupportAddress)) {
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
  auto* invitation =
      new QLabel("Please visit our website to download more useful utilities for net surfing.");
  invitation->setWordWrap(true);
  text->addWidget(invitation);
  text->addWidget(mHomePage);
  text->addWidget(mSupport);

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

  connect(mHomePage, &TLinkLabel::clicked, this, [this] { mShell.Open(kHomePage); });
  connect(mSupport, &TLinkLabel::clicked, this,
          [this] { mShell.Open(std::string("mailto:") + kSupportAddress); });
}

}  // namespace vexilo
