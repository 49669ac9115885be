// The wizard, the task settings dialog and the delete confirmation with real widgets.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <functional>

#include "support/TempDir.h"
#include "tasks/DeleteTaskUnit.h"
#include "tasks/StartUnit.h"
#include "tasks/TaskFakes.h"
#include "tasks/TaskSettingUnit.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

template <class T>
T* Child(QWidget& window, const char* name) {
  T* child = window.findChild<T*>(name);
  if (child == nullptr) ADD_FAILURE() << "no " << name;
  return child;
}

QPushButton* Button(QWidget& window, const QString& text) {
  for (QPushButton* button : window.findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  ADD_FAILURE() << "no button " << text.toStdString();
  return nullptr;
}

void Type(QWidget& window, const char* box, const char* text) {
  Child<QLineEdit>(window, box)->setText(text);
}

// Runs steps once the dialog's modal loop runs, closes it if the steps left it open, and
// returns what show returned.
template <class Show>
auto WhileShown(QDialog& dialog, const std::function<void()>& steps, Show show) {
  QTimer::singleShot(0, &dialog, [&dialog, steps] {
    EXPECT_TRUE(dialog.isVisible());
    steps();
    if (dialog.isVisible()) dialog.reject();
  });
  return show();
}

class WizardTest : public testing::Test {
 protected:
  WizardTest() { mSettings.DownFolder = mDown.Path().string(); }

  int Page() { return mWizard.CurrentPage(); }
  void Next() { Button(mWizard, mWizard.CurrentPage() == 4 ? "Start" : "Next")->click(); }
  bool Show(const std::function<void()>& steps) {
    return WhileShown(mWizard, steps, [&] { return mWizard.ShowNewTaskWizard(mRecord); });
  }

  TempDir mDown;
  TempDir mProgram;
  AppSettings mSettings;
  test::RecordingPrompts mPrompts;
  TTaskWizardForm mWizard{mSettings, mProgram.Path(), mPrompts};
  TaskRecord mRecord;
};

TEST_F(WizardTest, ANormalTaskWithTheDefaultPages) {
  EXPECT_EQ(mWizard.windowTitle(), "New Task Wizard");
  EXPECT_EQ(mWizard.size(), QSize(448, 362));
  bool accepted = Show([&] {
    EXPECT_TRUE(Child<QRadioButton>(mWizard, "normalTask")->isChecked());
    EXPECT_FALSE(Button(mWizard, "Back")->isEnabled());
    Next();
    EXPECT_EQ(Page(), 2);
    EXPECT_FALSE(Child<QWidget>(mWizard, "advancedGroup")->isEnabled());
    Type(mWizard, "taskName", "cats");
    Type(mWizard, "startUrl", "http://cats.test/");
    Next();
    EXPECT_EQ(Child<QLineEdit>(mWizard, "levelBox")->text(), "9");
    EXPECT_TRUE(Child<QRadioButton>(mWizard, "scopeSite")->isChecked());
    EXPECT_EQ(Child<QLineEdit>(mWizard, "secondsBox")->text(), "10");
    Next();
    EXPECT_EQ(Child<QLabel>(mWizard, "subtitle")->text(),
              "Input the parameter then press \"Start\" button to begin");
    EXPECT_FALSE(Child<QCheckBox>(mWizard, "widthCheck")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(mWizard, "minSizeCheck")->isVisibleTo(&mWizard));
    Next();
  });
  ASSERT_TRUE(accepted);
  TaskRecord expected;
  expected.Name = "cats";
  expected.StartUrl = "http://cats.test/";
  expected.TaskFolder = (mDown / "cats").string();
  expected.FolderName = "cats";
  expected.LinkLevels = 9;
  expected.LinkScope = 1;
  expected.IdleSeconds = 10;
  expected.TaskType = "0";
  expected.GrabFromLinks = "0";
  EXPECT_EQ(mRecord, expected);
}

TEST_F(WizardTest, TheAdvancedGroupFollowsTheTypeAndKeepsItsContents) {
  Show([&] {
    Child<QRadioButton>(mWizard, "advancedTask")->setChecked(true);
    Next();
    EXPECT_TRUE(Child<QWidget>(mWizard, "advancedGroup")->isEnabled());
    Type(mWizard, "downloadFilter", ".jpg");
    Button(mWizard, "Back")->click();
    EXPECT_EQ(Page(), 1);
    Child<QRadioButton>(mWizard, "normalTask")->setChecked(true);
    Next();
    EXPECT_FALSE(Child<QWidget>(mWizard, "advancedGroup")->isEnabled());
    EXPECT_FALSE(Child<QCheckBox>(mWizard, "manualLogin")->isEnabled());
    Type(mWizard, "taskName", "cats");
    Type(mWizard, "startUrl", "http://cats.test/");
    Next();
    Next();
    Next();
  });
  EXPECT_EQ(mRecord.TaskType, "0");
  EXPECT_EQ(mRecord.DownloadUrlFilter, ".jpg");
}

TEST_F(WizardTest, BlankNameThenBlankAddressAreToldInThatOrder) {
  Show([&] {
    Next();
    Next();
    EXPECT_EQ(mPrompts.Messages, std::vector<std::string>{"Task name can't be blank!"});
    EXPECT_EQ(mWizard.focusWidget(), Child<QLineEdit>(mWizard, "taskName"));
    Type(mWizard, "taskName", "cats");
    Next();
    EXPECT_EQ(mPrompts.Messages.back(), "Starting address can't be blank!");
    EXPECT_EQ(mWizard.focusWidget(), Child<QLineEdit>(mWizard, "startUrl"));
    EXPECT_EQ(Page(), 2);
  });
  EXPECT_EQ(mPrompts.Messages.size(), 2u);
}

TEST_F(WizardTest, ASecondUseStartsOnPageOneWithTheFirstUsesInputs) {
  TaskRecord before = mRecord;
  EXPECT_FALSE(Show([&] {
    Next();
    Type(mWizard, "taskName", "cats");
    Type(mWizard, "startUrl", "http://cats.test/");
    Next();
    Button(mWizard, "Cancel")->click();
  }));
  EXPECT_EQ(mRecord, before);
  Show([&] {
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(Child<QLineEdit>(mWizard, "taskName")->text(), "cats");
    EXPECT_EQ(Child<QLineEdit>(mWizard, "startUrl")->text(), "http://cats.test/");
  });
}

TEST_F(WizardTest, UntickedLimitsAndLettersWriteZeroAndATakenFolderIsSkipped) {
  fs::create_directories(mDown / "cats");
  Show([&] {
    Next();
    Type(mWizard, "taskName", "cats");
    Type(mWizard, "startUrl", "http://cats.test/");
    Next();
    Type(mWizard, "levelBox", "abc");
    Next();
    Type(mWizard, "widthBox", "300");
    Child<QCheckBox>(mWizard, "heightCheck")->setChecked(true);
    Type(mWizard, "heightBox", "200");
    Next();
  });
  EXPECT_EQ(mRecord.LinkLevels, 0);
  EXPECT_EQ(mRecord.MinWidth, 0);
  EXPECT_EQ(mRecord.MinHeight, 200);
  EXPECT_EQ(mRecord.FolderName, "(1)cats");
  EXPECT_EQ(mRecord.TaskFolder, (mDown / "(1)cats").string());
}

TEST_F(WizardTest, AQuickTaskNeedsItsAddressAndEndsOnPageOne) {
  mRecord.Name = "kept";
  bool accepted = Show([&] {
    Child<QRadioButton>(mWizard, "quickTask")->setChecked(true);
    Next();
    EXPECT_EQ(mPrompts.Messages, std::vector<std::string>{"Starting address can't be blank!"});
    EXPECT_EQ(Page(), 1);
    Child<QComboBox>(mWizard, "quickAddress")->setCurrentText("http://pics.example.org/");
    Next();
  });
  EXPECT_TRUE(accepted);
  EXPECT_EQ(mRecord.TaskType, "2");
  EXPECT_EQ(mRecord.Name, "kept");
  EXPECT_EQ(mWizard.QuickTaskAddress(), "http://pics.example.org/");
}

class SettingsDialogTest : public testing::Test {
 protected:
  SettingsDialogTest() {
    mSettings.DownFolder = mDown.Path().string();
    mRecord.Name = "N";
    mRecord.StartUrl = "http://n.test/";
    mRecord.TaskType = "0";
    mRecord.GrabFromLinks = "0";
    mRecord.FolderName = "N";
    mRecord.TaskFolder = (mDown / "N").string();
    mRecord.LinkLevels = 2;
    mRecord.LinkScope = 3;
    mRecord.IdleSeconds = 20;
    mRecord.MinWidth = 300;
  }

  QTabWidget& Tabs() { return *mDialog.findChild<QTabWidget*>(); }
  int mCheckHours = 0;
  bool Show(const std::function<void()>& steps) {
    return WhileShown(mDialog, steps,
                      [&] { return mDialog.ShowTaskSettings(mRecord, mCheckHours); });
  }

  TempDir mDown;
  TempDir mProgram;
  AppSettings mSettings;
  test::RecordingPrompts mPrompts;
  TTaskSettingForm mDialog{mSettings, mProgram.Path(), mPrompts};
  TaskRecord mRecord;
};

TEST_F(SettingsDialogTest, ShowsTheRecordAndCancelWritesNothing) {
  EXPECT_EQ(mDialog.windowTitle(), "Task Settings");
  EXPECT_EQ(mDialog.size(), QSize(508, 387));
  TaskRecord before = mRecord;
  EXPECT_FALSE(Show([&] {
    EXPECT_EQ(Tabs().currentIndex(), 0);
    EXPECT_EQ(Tabs().tabText(2), "Following Links");
    EXPECT_TRUE(Child<QCheckBox>(mDialog, "widthCheck")->isChecked());
    EXPECT_EQ(Child<QLineEdit>(mDialog, "widthBox")->text(), "300");
    EXPECT_FALSE(Child<QCheckBox>(mDialog, "heightCheck")->isChecked());
    EXPECT_EQ(Child<QLineEdit>(mDialog, "heightBox")->text(), "0");
    EXPECT_TRUE(Child<QRadioButton>(mDialog, "scopeDirectory")->isChecked());
    EXPECT_EQ(Child<QLineEdit>(mDialog, "levelBox")->text(), "2");
    Type(mDialog, "taskName", "changed");
    Button(mDialog, "Cancel")->click();
  }));
  EXPECT_EQ(mRecord, before);
}

TEST_F(SettingsDialogTest, AQuickTaskStaysOnTypeUntilAnotherTypeIsPicked) {
  mRecord.TaskType = "2";
  EXPECT_TRUE(Show([&] {
    EXPECT_TRUE(Child<QRadioButton>(mDialog, "quickTask")->isChecked());
    EXPECT_EQ(Child<QComboBox>(mDialog, "quickAddress")->currentText(), "http://n.test/");
    Tabs().tabBar()->setCurrentIndex(1);
    EXPECT_EQ(Tabs().currentIndex(), 0);
    // Its schedule is reached all the same, and from there only Type again.
    Tabs().tabBar()->setCurrentIndex(4);
    EXPECT_EQ(Tabs().currentIndex(), 4);
    Child<QSpinBox>(mDialog, "checkHours")->setValue(6);
    Tabs().tabBar()->setCurrentIndex(2);
    EXPECT_EQ(Tabs().currentIndex(), 4);
    Tabs().tabBar()->setCurrentIndex(0);
    Child<QRadioButton>(mDialog, "advancedTask")->setChecked(true);
    Tabs().tabBar()->setCurrentIndex(1);
    EXPECT_EQ(Tabs().currentIndex(), 1);
    EXPECT_TRUE(Child<QWidget>(mDialog, "advancedGroup")->isEnabled());
    Tabs().setCurrentIndex(0);
    Child<QRadioButton>(mDialog, "normalTask")->setChecked(true);
    Tabs().setCurrentIndex(1);
    EXPECT_FALSE(Child<QWidget>(mDialog, "advancedGroup")->isEnabled());
    Button(mDialog, "OK")->click();
  }));
  EXPECT_EQ(mCheckHours, 6);
}

TEST_F(SettingsDialogTest, OkWithoutChangesKeepsTheTasksFolder) {
  fs::create_directories(mDown / "N");
  TaskRecord before = mRecord;
  EXPECT_TRUE(Show([&] { Button(mDialog, "OK")->click(); }));
  EXPECT_EQ(mRecord, before);

  EXPECT_TRUE(Show([&] {
    Type(mDialog, "taskName", "M");
    Child<QCheckBox>(mDialog, "widthCheck")->setChecked(false);
    Button(mDialog, "OK")->click();
  }));
  EXPECT_EQ(mRecord.FolderName, "M");
  EXPECT_EQ(mRecord.TaskFolder, (mDown / "M").string());
  EXPECT_EQ(mRecord.MinWidth, 0);
}

TEST(DeleteDialog, TheBoxesKeepTheUsersLastChoice) {
  TDeleteTaskForm dialog;
  EXPECT_EQ(dialog.windowTitle(), "Confirm Delete ");
  EXPECT_EQ(dialog.size(), QSize(359, 121));
  auto* settings = Child<QCheckBox>(dialog, "deleteTaskSettings");
  auto* pictures = Child<QCheckBox>(dialog, "deletePictures");
  std::optional<DeleteChoice> choice = WhileShown(
      dialog,
      [&] {
        EXPECT_TRUE(settings->isChecked());
        EXPECT_TRUE(pictures->isChecked());
        settings->setChecked(false);
        Button(dialog, "OK")->click();
      },
      [&] { return dialog.AskDeleteTask(); });
  ASSERT_TRUE(choice);
  EXPECT_FALSE(choice->TaskSettings);
  EXPECT_TRUE(choice->Pictures);

  choice = WhileShown(
      dialog,
      [&] {
        EXPECT_FALSE(settings->isChecked());
        Button(dialog, "Cancel")->click();
      },
      [&] { return dialog.AskDeleteTask(); });
  EXPECT_FALSE(choice);
}

}  // namespace
}  // namespace vexilo
