// The message boxes behind UserPrompts, answered as they open.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "platform/QtUserPrompts.h"

namespace vexilo {
namespace {

TEST(QtUserPromptsTest, TheErrorWithYesIsACriticalBoxTitledError) {
  QString title, text;
  QStringList buttons;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    for (QAbstractButton* button : box->buttons()) buttons << button->text();
    box->buttons().front()->click();
  });
  poll.start(0);
  QtUserPrompts().ShowErrorWithYes("Error in reading /p/5.bmp!\n");
  EXPECT_EQ(title, "Error");
  EXPECT_EQ(text, "Error in reading /p/5.bmp!\n");
  EXPECT_EQ(buttons, QStringList{"&Yes"});
  EXPECT_EQ(icon, QMessageBox::Critical);
}

}  // namespace
}  // namespace vexilo
