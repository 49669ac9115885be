#include "platform/QtUserPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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

void QtUserPrompts::ShowErrorWithYes(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, "Error", QString::fromStdString(text), QMessageBox::Yes,
                  QApplication::activeWindow());
  box.button(QMessageBox::Yes)->setText("&Yes");
  box.exec();
}

}  // namespace vexilo
