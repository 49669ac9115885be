#pragma once
// The advanced options as the settings store and the Advanced Settings dialog see them: one
// row per option with its stored name, its caption and a line of help; the switches first,
// then the numbers.

#include <span>

#include "core/AdvancedSettings.h"
#include "core/SettingsStore.h"

namespace vexilo {

struct AdvancedOption {
  const char* StoredName;  // the value's name in the settings store, "1" or "0"
  const char* Caption;
  const char* Help;
  bool AdvancedSettings::*Flag;
  // Ticked by the switch "Use every option for today's web": what harvesting and downloads
  // need on today's sites, unlike the choices of how pictures are shown.
  bool ForTodaysWeb;
};

struct AdvancedNumber {
  const char* StoredName;  // the value's name in the settings store, in decimal
  const char* Caption;
  const char* Help;
  int AdvancedSettings::*Value;
  int Least;
  int Most;
};

// In the order the dialog shows them.
std::span<const AdvancedOption> AdvancedOptions();
std::span<const AdvancedNumber> AdvancedNumbers();

// Reads every option from the open store; a missing or unreadable value, or a number out of
// its range, keeps its default.
void ReadAdvancedSettings(SettingsStore& store, AdvancedSettings& settings);
// The options as stored, read before the settings are loaded (the defaults when the store
// cannot be read). Never raises.
AdvancedSettings StoredAdvancedSettings(SettingsStore& store);
// Writes every option into the open store. Raises FileError when it cannot.
void WriteAdvancedSettings(SettingsStore& store, const AdvancedSettings& settings);

}  // namespace vexilo
