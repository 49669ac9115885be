#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/AppSettings.h"
#include "shell/AdvancedOptions.h"
#include "shell/OptionUnit.h"
#include "shell/ThreadsSpinBox.h"
#include "support/FakeSeams.h"

namespace vexilo {
namespace {

class OptionFormTest : public testing::Test {
 protected:
  OptionFormTest() {
    LoadSettings(store, "/opt/vexilo/pictures", settings);
    form.FillFields();
  }

  test::MemorySettingsStore store;
  test::RecordingPrompts prompts;
  test::RecordingShell shell;
  AppSettings settings;
  TOptionForm form{settings, store, "/opt/vexilo/pictures", shell, prompts};
};

TEST_F(OptionFormTest, FirstRunShowsTheDefaultsAndOkStoresAllValues) {
  EXPECT_EQ(form.windowTitle(), "Download Settings");
  EXPECT_EQ(form.size(), QSize(457, 381));
  EXPECT_EQ(form.FolderField()->text(), "/opt/vexilo/pictures");
  EXPECT_EQ(form.ThreadsField()->value(), 3);
  EXPECT_EQ(form.ProxyServerField()->text(), "");
  EXPECT_EQ(form.PasswordField()->text(), "");
  EXPECT_EQ(form.BrowseButton()->toolTip(), "Select Folder");
  EXPECT_TRUE(form.OkButton()->isDefault());

  // Through the modal showing, as the menu entry does it.
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<TOptionForm*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->OkButton()->click();
  });
  EXPECT_EQ(form.ShowModal(), QDialog::Accepted);
  // The eight, the gallery kind, the advanced options, and the grid's order with the viewer's
  // two sorting folders.
  EXPECT_EQ(store.Values.size(), 9u + AdvancedOptions().size() + AdvancedNumbers().size() + 4u);
  EXPECT_EQ(store.Values.at("DownFolder"), "/opt/vexilo/pictures");
  EXPECT_EQ(store.Values.at("DownloadThread"), "3");
  EXPECT_EQ(store.Values.at("PreviewVisible"), "");
}

TEST_F(OptionFormTest, OkWithABlankFolderStoresTheDefault) {
  form.FolderField()->setText("   ");
  form.OkButton()->click();
  EXPECT_EQ(store.Values.at("DownFolder"), "/opt/vexilo/pictures");
  EXPECT_EQ(settings.DownFolder, "/opt/vexilo/pictures");
}

TEST_F(OptionFormTest, ThreadsFieldBringsTypedNumbersIntoRange) {
  form.show();
  TThreadsSpinBox* threads = form.ThreadsField();
  threads->setFocus();
  threads->selectAll();
  QTest::keyClicks(threads, "25");
  threads->interpretText();
  EXPECT_EQ(threads->value(), 10);
  EXPECT_EQ(threads->text(), "10");

  threads->selectAll();
  QTest::keyClick(threads, Qt::Key_Delete);
  threads->interpretText();
  EXPECT_EQ(threads->value(), 1);

  QTest::keyClicks(threads, "x");
  EXPECT_EQ(threads->text(), "1");
  form.OkButton()->click();
  EXPECT_EQ(settings.DownloadThread, "1");
}

TEST_F(OptionFormTest, CancelChangesNothing) {
  AppSettings before = settings;
  form.FolderField()->setText("/elsewhere");
  form.ProxyServerField()->setText("proxy");
  form.CancelButton()->click();
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_EQ(settings, before);
  EXPECT_TRUE(store.Values.empty());
}

TEST_F(OptionFormTest, PasswordIsMaskedUntilShown) {
  EXPECT_EQ(form.PasswordField()->echoMode(), QLineEdit::Password);
  form.ShowPasswordBox()->setChecked(true);
  EXPECT_EQ(form.PasswordField()->echoMode(), QLineEdit::Normal);
  form.FillFields();
  EXPECT_EQ(form.PasswordField()->echoMode(), QLineEdit::Password);
}

TEST_F(OptionFormTest, PickedFolderGoesIntoTheField) {
  shell.PickedFolder = "/media/big";
  form.BrowseButton()->click();
  EXPECT_EQ(shell.PickTitles, std::vector<std::string>{"Please select download directory:"});
  EXPECT_EQ(form.FolderField()->text(), "/media/big");
  shell.PickedFolder.reset();
  form.BrowseButton()->click();
  EXPECT_EQ(form.FolderField()->text(), "/media/big");
}

TEST_F(OptionFormTest, StoreFailureIsShownAndTheDialogStaysOpen) {
  form.show();
  store.FailWrite = true;
  form.UserNameField()->setText("me");
  form.OkButton()->click();
  EXPECT_EQ(prompts.Errors.size(), 1u);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(settings.AuthName, "me");
}

}  // namespace
}  // namespace vexilo
