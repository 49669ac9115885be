#include "platform/SystemFolders.h"

#include <unistd.h>

#include <QStandardPaths>

namespace vexilo {
namespace {

std::filesystem::path Location(QStandardPaths::StandardLocation location) {
  return QStandardPaths::writableLocation(location).toStdString();
}

}  // namespace

bool FolderWritable(const std::filesystem::path& folder) {
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

FolderFacts SystemFolderFacts(const QString& executableFolder) {
  FolderFacts facts;
  facts.ExecutableFolder = executableFolder.toStdString();
  facts.ExecutableFolderWritable = FolderWritable(facts.ExecutableFolder);
  facts.InstalledBinFolder = VEXILO_INSTALL_BINDIR;
  facts.InstalledDataFolder = VEXILO_INSTALL_DATADIR;
  facts.UserDataFolder = Location(QStandardPaths::GenericDataLocation);
  facts.PicturesFolder = Location(QStandardPaths::PicturesLocation);
  return facts;
}

}  // namespace vexilo
