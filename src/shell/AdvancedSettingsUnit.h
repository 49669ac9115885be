#pragma once
// The "Advanced Settings" dialog: one check box per advanced switch and one number field per
// advanced number, each with a line saying what it changes. "OK" keeps the choices in the
// settings, saves them and tells the run, so that they apply from the next crawl, listing or
// picture on. Created once, hidden.

#include <QDialog>
#include <functional>
#include <vector>

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace vexilo {

class SettingsStore;
class UserPrompts;
struct AppSettings;

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

 private:
  void AcceptOptions();

  AppSettings& mSettings;
  SettingsStore& mStore;
  UserPrompts& mPrompts;
  std::function<void()> mApplied;
  std::vector<QCheckBox*> mBoxes;
  std::vector<QSpinBox*> mNumberFields;
  QPushButton* mOk = nullptr;
};

}  // namespace vexilo
