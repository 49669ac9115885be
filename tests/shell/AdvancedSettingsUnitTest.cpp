#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "core/AppSettings.h"
#include "shell/AdvancedOptions.h"
#include "shell/AdvancedSettingsUnit.h"
#include "shell/DownloadSettings.h"
#include "support/FakeSeams.h"

namespace vexilo {
namespace {

class AdvancedSettingsFormTest : public testing::Test {
 protected:
  AdvancedSettingsFormTest() { LoadSettings(store, "/opt/vexilo/pictures", settings); }

  // Shows the dialog and, once it runs, does what `act` says to it.
  int ShowAnd(const std::function<void()>& act) {
    QTimer::singleShot(0, &form, act);
    return form.ShowModal();
  }

  test::MemorySettingsStore store;
  test::RecordingPrompts prompts;
  AppSettings settings;
  int applied = 0;
  TAdvancedSettingsForm form{settings, store, prompts, [this] { ++applied; }};
};

TEST_F(AdvancedSettingsFormTest, ShowsEachOptionAndOkKeepsSavesAndAppliesThem) {
  ASSERT_EQ(form.OptionBoxes().size(), AdvancedOptions().size());
  std::vector<bool> shown;
  ShowAnd([&] {
    for (QCheckBox* box : form.OptionBoxes()) shown.push_back(box->isChecked());
    form.reject();
  });
  std::vector<bool> defaults;
  for (const AdvancedOption& option : AdvancedOptions()) {
    defaults.push_back(AdvancedSettings{}.*option.Flag);
  }
  EXPECT_EQ(shown, defaults);
  EXPECT_EQ(applied, 0) << "Cancel applies nothing";

  int result = ShowAnd([&] {
    for (QCheckBox* box : form.OptionBoxes()) box->setChecked(!box->isChecked());
    form.OkButton()->click();
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(applied, 1);
  for (const AdvancedOption& option : AdvancedOptions()) {
    bool expected = !(AdvancedSettings{}.*option.Flag);
    EXPECT_EQ(settings.Advanced.*option.Flag, expected) << option.Caption;
    EXPECT_EQ(store.Values.at(option.StoredName), expected ? "1" : "0") << option.Caption;
  }
}

TEST_F(AdvancedSettingsFormTest,
       TheSwitchTicksEveryHarvestingOptionAndUntickingRestoresTheDefaults) {
  settings.Advanced.ExifOrientation = false;
  settings.Advanced.FollowRedirects = true;
  std::vector<Qt::CheckState> states;
  ShowAnd([&] {
    QCheckBox* todaysWeb = form.TodaysWebBox();
    EXPECT_EQ(todaysWeb->text().toStdString(), kTodaysWebCaption);
    states.push_back(todaysWeb->checkState());
    QTest::mouseClick(todaysWeb, Qt::LeftButton, {}, QPoint(8, todaysWeb->height() / 2));
    states.push_back(todaysWeb->checkState());
    form.OkButton()->click();
  });
  EXPECT_EQ(states, (std::vector{Qt::PartiallyChecked, Qt::Checked}));
  for (const AdvancedOption& option : AdvancedOptions()) {
    EXPECT_EQ(settings.Advanced.*option.Flag, option.ForTodaysWeb) << option.Caption;
  }

  states.clear();
  ShowAnd([&] {
    QCheckBox* todaysWeb = form.TodaysWebBox();
    states.push_back(todaysWeb->checkState());
    QTest::mouseClick(todaysWeb, Qt::LeftButton, {}, QPoint(8, todaysWeb->height() / 2));
    states.push_back(todaysWeb->checkState());
    form.OptionBoxes().front()->setChecked(true);
    states.push_back(todaysWeb->checkState());
    form.OptionBoxes().front()->setChecked(false);
    form.OkButton()->click();
  });
  EXPECT_EQ(states, (std::vector{Qt::Checked, Qt::Unchecked, Qt::PartiallyChecked}));
  AdvancedSettings expected;
  expected.ExifOrientation = false;  // not one the switch stands for
  EXPECT_EQ(settings.Advanced, expected);
}

TEST_F(AdvancedSettingsFormTest, EveryHelpLineIsShownWhole) {
  std::vector<std::string> squeezed;
  ShowAnd([&] {
    for (const QLabel* help : form.findChildren<QLabel*>()) {
      if (help->wordWrap() && help->height() < help->heightForWidth(help->width())) {
        squeezed.push_back(help->text().toStdString());
      }
    }
    form.reject();
  });
  EXPECT_TRUE(squeezed.empty()) << squeezed.front();
}

TEST_F(AdvancedSettingsFormTest, NumberFieldsShowTheSettingAndOkKeepsWhatWasTyped) {
  ASSERT_EQ(form.NumberFields().size(), AdvancedNumbers().size());
  QSpinBox* pages = form.NumberFields().front();
  settings.Advanced.PagesAtOnce = 6;
  int shown = 0;
  ShowAnd([&] {
    shown = pages->value();
    pages->selectAll();
    QTest::keyClicks(pages, "12");
    form.OkButton()->click();
  });
  EXPECT_EQ(shown, 6);
  EXPECT_EQ(settings.Advanced.PagesAtOnce, 12);
  EXPECT_EQ(store.Values.at("PagesAtOnce"), "12");
  EXPECT_EQ(pages->maximum(), AdvancedSettings::kMostPagesAtOnce);
}

TEST_F(AdvancedSettingsFormTest, AStoreFailureIsToldAndTheChoiceHoldsForTheRun) {
  store.FailWrite = true;
  ShowAnd([&] {
    form.OptionBoxes().front()->setChecked(true);
    form.OkButton()->click();
    EXPECT_TRUE(form.isVisible());
    form.reject();
  });
  EXPECT_EQ(prompts.Errors.size(), 1u);
  EXPECT_TRUE(settings.Advanced.*AdvancedOptions().front().Flag);
  EXPECT_EQ(applied, 1);
}

}  // namespace
}  // namespace vexilo
