#include "platform/QSettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "core/Errors.h"

namespace vexilo {
namespace {
constexpr const char* kOrganisation = "Vexilo";
constexpr const char* kApplication = "Vexilo";

void ThrowOnFailure(const QSettings& settings, const char* what) {
  if (settings.status() != QSettings::NoError) {
    throw FileError(std::string("Cannot ") + what + " the settings file " +
                    settings.fileName().toStdString());
  }
}

// Called after every write: QSettings creates the file with the default umask.
void KeepPrivate(const QSettings& settings) {
  QFile file(settings.fileName());
  if (!file.exists()) return;
  if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
    throw FileError("Cannot protect the settings file " + settings.fileName().toStdString());
  }
}
}  // namespace

QSettingsStore::QSettingsStore() = default;
QSettingsStore::~QSettingsStore() = default;

void QSettingsStore::Open() {
  mSettings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                          kOrganisation, kApplication);
  ThrowOnFailure(*mSettings, "read");
}

std::string QSettingsStore::Read(const std::string& name) {
  return Settings().value(QString::fromStdString(name)).toString().toStdString();
}

void QSettingsStore::Write(const std::string& name, const std::string& value) {
  Settings().setValue(QString::fromStdString(name), QString::fromStdString(value));
}

void QSettingsStore::Close() {
  if (!mSettings) return;
  std::unique_ptr<QSettings> settings = std::move(mSettings);
  settings->sync();
  ThrowOnFailure(*settings, "write");
  KeepPrivate(*settings);
}

QSettings& QSettingsStore::Settings() {
  if (!mSettings) Open();
  return *mSettings;
}

}  // namespace vexilo
