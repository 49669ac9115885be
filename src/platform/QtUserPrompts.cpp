#include "platform/QtUserPrompts.h"

#include <QApplication>
#include <QMessageBox>

namespace vexilo {
namespace {
const QString kCaption = QStringLiteral("Vexilo");
}

void QtUserPrompts::ShowMessage(const std::string& text) {
  QMessageBox::information(QApplication::activeWindow(), kCaption, QString::fromStdString(text));
}

bool QtUserPrompts::AskYesNo(const std::string& text) {
  return QMessageBox::question(QApplication::activeWindow(), kCaption, QString::fromStdString(text),
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void QtUserPrompts::ShowError(const std::string& text) {
  QMessageBox::critical(QApplication::activeWindow(), kCaption, QString::fromStdString(text));
}

}  // namespace vexilo
