#pragma once
// The advanced options as the settings store and the Advanced Settings dialog see them: one
// row per option with its stored name, its caption and a line of help.

#include <span>

#include "core/AdvancedSettings.h"
#include "core/SettingsStore.h"

namespace vexilo {

struct AdvancedOption {
  const char* StoredName;  // the value's name in the settings store, "1" or "0"
  const char* Caption;
  const char* Help;
  bool AdvancedSettings::*Flag;
};

// In the order the dialog shows them.
std::span<const AdvancedOption> AdvancedOptions();

// Reads every option from the open store; a missing or unreadable value keeps its default.
void ReadAdvancedSettings(SettingsStore& store, AdvancedSettings& settings);
// The options as stored, read before the settings are loaded (the defaults when the store
// cannot be read). Never raises.
AdvancedSettings StoredAdvancedSettings(SettingsStore& store);
// Writes every option into the open store. Raises FileError when it cannot.
void WriteAdvancedSettings(SettingsStore& store, const AdvancedSettings& settings);

}  // namespace vexilo
