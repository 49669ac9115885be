#include "shell/DownloadSettings.h"

#include <algorithm>

#include "core/TextRules.h"
#include "shell/AdvancedOptions.h"

namespace vexilo {
namespace {
constexpr int kDefaultThreads = 3;
// Anything else, a missing value included, is the classic gallery.
constexpr const char* kGalleryKindKey = "GalleryKind";
constexpr const char* kModernGalleryValue = "modern";
}  // namespace

void LoadSettings(SettingsStore& store, const std::string& defaultDownFolder,
                  AppSettings& settings) {
  store.Open();
  std::string folder = store.Read("DownFolder");
  if (Trim(folder).empty()) folder = defaultDownFolder;
  if (!folder.empty() && folder.back() == '/') folder.pop_back();
  // A task's folder is kept as one line of the task list, where a line break becomes a
  // blank: taking the folder as it will be kept leaves the pictures where the task points.
  const auto isLineBreak = [](char c) { return c == '\r' || c == '\n'; };
  std::replace_if(folder.begin(), folder.end(), isLineBreak, ' ');
  settings.DownFolder = folder;

  std::string threads = store.Read("DownloadThread");
  if (Trim(threads).empty()) threads = std::to_string(kDefaultThreads);
  settings.DownloadThread = threads;
  settings.ProxyServer = store.Read("ProxyServer");
  settings.ProxyPort = store.Read("ProxyPort");
  settings.AuthName = store.Read("AuthName");
  settings.AuthPass = store.Read("AuthPass");
  settings.PreviewVisible = store.Read("PreviewVisible");
  settings.GridVisible = store.Read("GridVisible");
  settings.ModernGallery = store.Read(kGalleryKindKey) == kModernGalleryValue;
  settings.Advanced = AdvancedSettings{};
  ReadAdvancedSettings(store, settings.Advanced);
  settings.Order.By = OrderFromStoredName(Trim(store.Read("SortBy")));
  settings.Order.Reversed = Trim(store.Read("SortReversed")) == "1";
  settings.SortingFolder = store.Read("SortingFolder");
  settings.SecondSortingFolder = store.Read("SecondSortingFolder");
  store.Close();
}

void SaveSettings(SettingsStore& store, const AppSettings& settings) {
  store.Open();
  store.Write("DownFolder", settings.DownFolder);
  store.Write("DownloadThread", settings.DownloadThread);
  store.Write("ProxyServer", settings.ProxyServer);
  store.Write("ProxyPort", settings.ProxyPort);
  store.Write("AuthName", settings.AuthName);
  store.Write("AuthPass", settings.AuthPass);
  store.Write("PreviewVisible", settings.PreviewVisible);
  store.Write("GridVisible", settings.GridVisible);
  store.Write(kGalleryKindKey, settings.ModernGallery ? kModernGalleryValue : "");
  WriteAdvancedSettings(store, settings.Advanced);
  store.Write("SortBy", StoredOrderName(settings.Order.By));
  store.Write("SortReversed", settings.Order.Reversed ? "1" : "0");
  store.Write("SortingFolder", settings.SortingFolder);
  store.Write("SecondSortingFolder", settings.SecondSortingFolder);
  store.Close();
}

int ThreadsFieldValue(std::string_view text, int fallback) {
  int value = ParseWholeNumber(text).value_or(fallback);
  return std::clamp(value, kMinDownloadThreads, kMaxDownloadThreads);
}

DownloadSettingsFields FieldsFromSettings(const AppSettings& settings,
                                          const std::string& defaultDownFolder) {
  DownloadSettingsFields fields;
  fields.Folder = settings.DownFolder.empty() ? defaultDownFolder : settings.DownFolder;
  fields.Threads = ThreadsFieldValue(settings.DownloadThread, kDefaultThreads);
  fields.ProxyServer = settings.ProxyServer;
  fields.ProxyPort = settings.ProxyPort;
  fields.AuthName = settings.AuthName;
  fields.AuthPass = settings.AuthPass;
  return fields;
}

void AcceptFields(DownloadSettingsFields fields, const std::string& defaultDownFolder,
                  SettingsStore& store, AppSettings& settings) {
  if (Trim(fields.Folder).empty()) fields.Folder = defaultDownFolder;
  settings.DownFolder = fields.Folder;
  settings.DownloadThread = std::to_string(fields.Threads);
  settings.ProxyServer = fields.ProxyServer;
  settings.ProxyPort = fields.ProxyPort;
  settings.AuthName = fields.AuthName;
  settings.AuthPass = fields.AuthPass;
  SaveSettings(store, settings);
  LoadSettings(store, defaultDownFolder, settings);
}

}  // namespace vexilo
