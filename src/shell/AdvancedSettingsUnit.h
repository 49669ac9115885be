#pragma once
// The "Advanced Settings" dialog: a switch for every option today's sites need at once, then
// one check box per advanced switch and one number field per advanced number, each with a
// line saying what it changes. "OK" keeps the choices in the settings, saves them and tells
// the run, so that they apply from the next crawl, listing or picture on. Created once, hidden.

#include <QCheckBox>
#include <QDialog>
#include <functional>
#include <vector>

class QPushButton;
class QSpinBox;

namespace vexilo {

class SettingsStore;
class UserPrompts;
struct AppSettings;

inline constexpr const char* kTodaysWebCaption = "Use every option for today's web";

// Ticked when every option it stands for is, half ticked when some are; a click ticks or
// unticks them all, never leaving it half ticked.
class TodaysWebSwitch : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  void nextCheckState() override;
};

class TAdvancedSettingsForm : public QDialog {
  Q_OBJECT

 public:
  // settings belong to the main window and must outlive the dialog; applied runs after "OK".
  TAdvancedSettingsForm(AppSettings& settings, SettingsStore& store, UserPrompts& prompts,
                        std::function<void()> applied, QWidget* parent = nullptr);

  // Ticks the boxes and fills the number fields from the settings, as every showing does.
  void FillBoxes();
  // FillBoxes, then shows the dialog modally, centred on its parent.
  int ShowModal();

  // In the order of AdvancedOptions().
  const std::vector<QCheckBox*>& OptionBoxes() const { return mBoxes; }
  // In the order of AdvancedNumbers().
  const std::vector<QSpinBox*>& NumberFields() const { return mNumberFields; }
  QPushButton* OkButton() const { return mOk; }
  QCheckBox* TodaysWebBox() const { return mTodaysWeb; }

 private:
  void AcceptOptions();
  // The switch's tick from the boxes it stands for.
  void ShowTodaysWeb();

  AppSettings& mSettings;
  SettingsStore& mStore;
  UserPrompts& mPrompts;
  std::function<void()> mApplied;
  TodaysWebSwitch* mTodaysWeb = nullptr;
  std::vector<QCheckBox*> mBoxes;
  std::vector<QSpinBox*> mNumberFields;
  QPushButton* mOk = nullptr;
};

}  // namespace vexilo
