#pragma once
// The application settings: eight text values kept in the settings store between runs, the
// kind of gallery Create Thumbnails last made, and the advanced options stored beside them.
// Owned by the main window; workers get copies of what they need.

#include <string>

#include "core/AdvancedSettings.h"
#include "core/PictureOrder.h"

namespace vexilo {

struct AppSettings {
  std::string DownFolder;      // where new task folders are made, no trailing "/"
  std::string DownloadThread;  // downloads at once, decimal text (never blank once loaded)
  std::string ProxyServer;
  std::string ProxyPort;
  std::string AuthName;
  std::string AuthPass;
  std::string PreviewVisible;  // carried through unchanged
  std::string GridVisible;     // carried through unchanged
  bool ModernGallery = false;  // Create Thumbnails' last choice; the classic gallery by default
  AdvancedSettings Advanced;
  // View > Sort By, and the folders the viewer's M and C keys (and with Shift the second)
  // move and copy pictures to, "" until chosen.
  GridOrder Order;
  std::string SortingFolder;
  std::string SecondSortingFolder;

  bool operator==(const AppSettings&) const = default;
};

}  // namespace vexilo
