#include "platform/QtUserPrompts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

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

std::optional<int> QtUserPrompts::AskChoice(const std::string& text,
                                            const std::vector<std::string>& choices,
                                            int preselected) {
  QDialog dialog(QApplication::activeWindow());
  dialog.setWindowTitle(kCaption);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QString::fromStdString(text), &dialog));
  auto* group = new QButtonGroup(&dialog);
  for (std::size_t i = 0; i < choices.size(); ++i) {
    auto* button = new QRadioButton(QString::fromStdString(choices[i]), &dialog);
    button->setChecked(static_cast<int>(i) == preselected);
    group->addButton(button, static_cast<int>(i));
    layout->addWidget(button);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted || group->checkedId() < 0) return std::nullopt;
  return group->checkedId();
}

}  // namespace vexilo
