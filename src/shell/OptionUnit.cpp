#include "shell/OptionUnit.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <utility>

#include "core/AppSettings.h"
#include "core/DesktopShell.h"
#include "core/UserPrompts.h"
#include "shell/DialogBand.h"
#include "shell/ThreadsSpinBox.h"
#include "tasks/DialogButtons.h"

namespace vexilo {
TOptionForm::TOptionForm(AppSettings& settings, SettingsStore& store, std::string defaultDownFolder,
                         DesktopShell& shell, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent),
      mSettings(settings),
      mStore(store),
      mDefaultDownFolder(std::move(defaultDownFolder)),
      mShell(shell),
      mPrompts(prompts),
      mFolder(new QLineEdit),
      mBrowse(new QPushButton("...")),
      mThreads(new TThreadsSpinBox),
      mProxyServer(new QLineEdit),
      mProxyPort(new QLineEdit),
      mUserName(new QLineEdit),
      mPassword(new QLineEdit),
      mShowPassword(new QCheckBox("Show password")),
      mOk(new QPushButton("OK")),
      mCancel(new QPushButton("Cancel")) {
  setWindowTitle("Download Settings");
  setFixedSize(457, 381);

  mFolder->setFixedWidth(392);
  mBrowse->setFixedWidth(28);
  mBrowse->setToolTip("Select Folder");
  mBrowse->setAutoDefault(false);
  mPassword->setEchoMode(QLineEdit::Password);

  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(mFolder);
  folderRow->addWidget(mBrowse);

  auto* threadsRow = new QHBoxLayout;
  threadsRow->addWidget(new QLabel("Download Threads Number:"));
  threadsRow->addWidget(mThreads);
  threadsRow->addStretch();

  auto* proxy = new QGroupBox("Download Proxy");
  auto* proxyLayout = new QFormLayout(proxy);
  proxyLayout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  proxyLayout->addRow("Proxy Server:", mProxyServer);
  proxyLayout->addRow("Proxy Port:", mProxyPort);

  auto* auth = new QGroupBox("Authentication ");
  auto* authLayout = new QFormLayout(auth);
  authLayout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  authLayout->addRow("Username:", mUserName);
  auto* passwordRow = new QHBoxLayout;
  passwordRow->addWidget(mPassword, 1);
  passwordRow->addWidget(mShowPassword);
  authLayout->addRow("Password:", passwordRow);

  mOk->setDefault(true);
  mCancel->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(mOk);
  buttons->addWidget(mCancel);

  auto* body = new QVBoxLayout;
  body->setContentsMargins(12, 8, 12, 8);
  body->addWidget(new QLabel("Download Folder:"));
  body->addLayout(folderRow);
  body->addLayout(threadsRow);
  body->addWidget(proxy);
  body->addWidget(auth);
  body->addStretch();
  body->addWidget(SunkenLine());
  body->addLayout(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(DialogBand("Download Settings",
                               "Input the download parameter then press \"OK\" button to save."));
  layout->addWidget(SunkenLine());
  layout->addLayout(body, 1);

  setTabOrder(mFolder, mBrowse);
  setTabOrder(mBrowse, mThreads);
  setTabOrder(mThreads, mProxyServer);
  setTabOrder(mProxyServer, mProxyPort);
  setTabOrder(mProxyPort, mUserName);
  setTabOrder(mUserName, mPassword);
  setTabOrder(mPassword, mShowPassword);
  setTabOrder(mShowPassword, mOk);
  setTabOrder(mOk, mCancel);

  connect(mBrowse, &QPushButton::clicked, this, &TOptionForm::PickFolder);
  connect(mOk, &QPushButton::clicked, this, &TOptionForm::AcceptSettings);
  connect(mCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(mShowPassword, &QCheckBox::toggled, this, [this](bool shown) {
    mPassword->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
  });
}

void TOptionForm::FillFields() {
  DownloadSettingsFields fields = FieldsFromSettings(mSettings, mDefaultDownFolder);
  mFolder->setText(QString::fromStdString(fields.Folder));
  mThreads->setValue(fields.Threads);
  mProxyServer->setText(QString::fromStdString(fields.ProxyServer));
  mProxyPort->setText(QString::fromStdString(fields.ProxyPort));
  mUserName->setText(QString::fromStdString(fields.AuthName));
  mPassword->setText(QString::fromStdString(fields.AuthPass));
  mShowPassword->setChecked(false);
  mFolder->setFocus();
}

int TOptionForm::ShowModal() {
  FillFields();
  if (parentWidget() != nullptr) {
    move(parentWidget()->frameGeometry().center() - rect().center());
  }
  return exec();
}

void TOptionForm::PickFolder() {
  std::optional<std::string> folder = mShell.PickFolder("Please select download directory:", "");
  if (folder) mFolder->setText(QString::fromStdString(*folder));
}

void TOptionForm::AcceptSettings() {
  mThreads->interpretText();
  DownloadSettingsFields fields;
  fields.Folder = mFolder->text().toStdString();
  fields.Threads = mThreads->value();
  fields.ProxyServer = mProxyServer->text().toStdString();
  fields.ProxyPort = mProxyPort->text().toStdString();
  fields.AuthName = mUserName->text().toStdString();
  fields.AuthPass = mPassword->text().toStdString();
  try {
    AcceptFields(std::move(fields), mDefaultDownFolder, mStore, mSettings);
  } catch (const std::exception& error) {
    mPrompts.ShowError(error.what());
    return;
  }
  accept();
}

}  // namespace vexilo
