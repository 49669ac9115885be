#pragma once
// SettingsStore on QSettings (organisation and application "Vexilo", the native INI file in
// the user's configuration folder). The file holds a password, so only its owner may read it.

#include <memory>

#include "core/SettingsStore.h"

class QSettings;

namespace vexilo {

class QSettingsStore : public SettingsStore {
 public:
  QSettingsStore();
  ~QSettingsStore() override;
  QSettingsStore(const QSettingsStore&) = delete;
  QSettingsStore& operator=(const QSettingsStore&) = delete;

  void Open() override;
  std::string Read(const std::string& name) override;
  void Write(const std::string& name, const std::string& value) override;
  void Close() override;

 private:
  QSettings& Settings();

  std::unique_ptr<QSettings> mSettings;
};

}  // namespace vexilo
