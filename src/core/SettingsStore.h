#pragma once
// The persistent store of the application settings: named string values.

#include <string>

namespace vexilo {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Opens the store, creating it when missing. Raises FileError when it cannot.
  virtual void Open() = 0;
  // A missing value reads as "".
  virtual std::string Read(const std::string& name) = 0;
  // Creates or replaces the value. Raises FileError when the store cannot be written.
  virtual void Write(const std::string& name, const std::string& value) = 0;
  // Flushes and closes; raises FileError when the values could not be kept.
  virtual void Close() = 0;
};

}  // namespace vexilo
