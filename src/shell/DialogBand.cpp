#include "shell/DialogBand.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "shell/AppIcon.h"

namespace vexilo {

QWidget* DialogBand(const QString& title, const QString& hint) {
  auto* band = new QWidget;
  band->setAutoFillBackground(true);
  band->setBackgroundRole(QPalette::Base);
  auto* titleLabel = new QLabel(title);
  QFont bold = titleLabel->font();
  bold.setBold(true);
  titleLabel->setFont(bold);
  auto* icon = new QLabel;
  icon->setPixmap(AppIcon().pixmap(32, 32));

  auto* texts = new QVBoxLayout;
  texts->addWidget(titleLabel);
  texts->addWidget(new QLabel(hint));
  auto* layout = new QHBoxLayout(band);
  layout->setContentsMargins(12, 8, 12, 8);
  layout->addLayout(texts, 1);
  layout->addWidget(icon);
  return band;
}

}  // namespace vexilo
