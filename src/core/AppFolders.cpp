#include "core/AppFolders.h"

#include <system_error>

namespace vexilo {
namespace {

bool SameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  const std::filesystem::path ca = std::filesystem::weakly_canonical(a, ec);
  if (ec) return a.lexically_normal() == b.lexically_normal();
  const std::filesystem::path cb = std::filesystem::weakly_canonical(b, ec);
  if (ec) return a.lexically_normal() == b.lexically_normal();
  return ca == cb;
}

}  // namespace

AppFolders AppFolders::Beside(const std::filesystem::path& folder) {
  return {folder,
          (folder / kPortableDownFolderName).string(),
          {folder},
          folder / kPortableGalleryFolderName};
}

std::filesystem::path AppFolders::ShippedFile(std::string_view name) const {
  if (DataFolders.empty()) return ProgramFolder / name;
  std::error_code ec;
  for (const std::filesystem::path& folder : DataFolders) {
    if (std::filesystem::is_regular_file(folder / name, ec)) return folder / name;
  }
  return DataFolders.front() / name;
}

AppFolders ResolveAppFolders(const FolderFacts& facts) {
  const bool installed = !facts.ExecutableFolderWritable ||
                         SameFolder(facts.ExecutableFolder, facts.InstalledBinFolder);
  if (!installed || facts.UserDataFolder.empty()) return AppFolders::Beside(facts.ExecutableFolder);
  AppFolders folders;
  folders.ProgramFolder = facts.UserDataFolder / kUserFolderName;
  folders.DefaultDownFolder = facts.PicturesFolder.empty()
                                  ? (folders.ProgramFolder / kPortableDownFolderName).string()
                                  : (facts.PicturesFolder / kUserFolderName).string();
  folders.DataFolders = {folders.ProgramFolder};
  if (facts.PicturesFolder.empty()) {
    folders.GalleriesFolder = folders.ProgramFolder / kPortableGalleryFolderName;
  } else {
    folders.GalleriesFolder = facts.PicturesFolder / kGalleriesFolderName;
    folders.NewGalleryFolders = true;
  }
  if (!facts.InstalledDataFolder.empty()) folders.DataFolders.push_back(facts.InstalledDataFolder);
  return folders;
}

}  // namespace vexilo
