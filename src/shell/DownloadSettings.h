#pragma once
// The application settings' rules: loading them from the settings store with their defaults,
// saving them, and what the "Download Settings" dialog shows and keeps. Main thread only.

#include <string>
#include <string_view>

#include "core/AppSettings.h"
#include "core/SettingsStore.h"

namespace vexilo {

// Fills settings from the store. A blank DownFolder becomes defaultDownFolder (AppFolders), one
// trailing "/" is removed, a CR or LF in it becomes a blank; a blank DownloadThread becomes "3";
// the rest is taken as stored; an advanced option that is missing keeps its default. Raises
// FileError when the store cannot be opened.
void LoadSettings(SettingsStore& store, const std::string& defaultDownFolder,
                  AppSettings& settings);

// Writes all eight values and the advanced options. Raises FileError when the store cannot be
// written.
void SaveSettings(SettingsStore& store, const AppSettings& settings);

// The values the dialog edits, as its fields hold them.
struct DownloadSettingsFields {
  std::string Folder;
  int Threads = 3;
  std::string ProxyServer;
  std::string ProxyPort;
  std::string AuthName;
  std::string AuthPass;

  bool operator==(const DownloadSettingsFields&) const = default;
};

inline constexpr int kMinDownloadThreads = 1;
inline constexpr int kMaxDownloadThreads = 10;

// A thread count as the spin field reads it: a whole number brought into 1 to 10; a text
// that is not a number gives fallback (itself brought into range).
int ThreadsFieldValue(std::string_view text, int fallback);

// What the dialog shows on opening. A DownloadThread that is not a number (a hand-edited
// store) shows as 3.
DownloadSettingsFields FieldsFromSettings(const AppSettings& settings,
                                          const std::string& defaultDownFolder);

// The dialog's "OK": a blank folder becomes the default, the fields go into settings, which
// are saved and loaded again so that they take their loaded form. The new values stay in
// settings even when the store fails (FileError is raised then).
void AcceptFields(DownloadSettingsFields fields, const std::string& defaultDownFolder,
                  SettingsStore& store, AppSettings& settings);

}  // namespace vexilo
