#pragma once
// The "Download Settings" dialog: edits the application settings of the main window and,
// on "OK", saves them. Created once, hidden; ShowModal fills it anew every time.

#include <QDialog>
#include <string>

#include "shell/DownloadSettings.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vexilo {

class DesktopShell;
class SettingsStore;
class TThreadsSpinBox;
class UserPrompts;
struct AppSettings;

class TOptionForm : public QDialog {
  Q_OBJECT

 public:
  // settings belong to the main window and must outlive the dialog.
  TOptionForm(AppSettings& settings, SettingsStore& store, std::string defaultDownFolder,
              DesktopShell& shell, UserPrompts& prompts, QWidget* parent = nullptr);

  // Fills the fields from the settings, as every showing does.
  void FillFields();
  // FillFields, then shows the dialog modally, centred on its parent.
  int ShowModal();

  QLineEdit* FolderField() const { return mFolder; }
  QPushButton* BrowseButton() const { return mBrowse; }
  TThreadsSpinBox* ThreadsField() const { return mThreads; }
  QLineEdit* ProxyServerField() const { return mProxyServer; }
  QLineEdit* ProxyPortField() const { return mProxyPort; }
  QLineEdit* UserNameField() const { return mUserName; }
  QLineEdit* PasswordField() const { return mPassword; }
  QCheckBox* ShowPasswordBox() const { return mShowPassword; }
  QPushButton* OkButton() const { return mOk; }
  QPushButton* CancelButton() const { return mCancel; }

 private:
  void PickFolder();
  void AcceptSettings();

  AppSettings& mSettings;
  SettingsStore& mStore;
  std::string mDefaultDownFolder;  // what a blank folder field stands for
  DesktopShell& mShell;
  UserPrompts& mPrompts;

  QLineEdit* mFolder;
  QPushButton* mBrowse;
  TThreadsSpinBox* mThreads;
  QLineEdit* mProxyServer;
  QLineEdit* mProxyPort;
  QLineEdit* mUserName;
  QLineEdit* mPassword;
  QCheckBox* mShowPassword;
  QPushButton* mOk;
  QPushButton* mCancel;
};

}  // namespace vexilo
