#pragma once
// Where Vexilo keeps its own files, where new tasks download to by default and where the
// files it ships are read from. One decision, made once at start-up from facts about the
// running program; everything after it receives these folders as parameters.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vexilo {

inline constexpr const char* kPortableDownFolderName = "pictures";
inline constexpr const char* kPortableGalleryFolderName = "thumbnails";
// In the user's pictures folder: one new folder per gallery.
inline constexpr const char* kGalleriesFolderName = "Vexilo galleries";
// The folder named after the program in the user's data and pictures folders.
inline constexpr const char* kUserFolderName = "Vexilo";

struct AppFolders {
  // GTask.lis, task/, exportlists.txt and the default gallery folder.
  std::filesystem::path ProgramFolder;
  // The download folder when the settings name none.
  std::string DefaultDownFolder;
  // Where the shipped read-only files (templet.htm, blank.bmp, help.html) are looked up,
  // in order.
  std::vector<std::filesystem::path> DataFolders;
  // Where Create Thumbnails offers to write a gallery: the folder itself, or with
  // NewGalleryFolders a new folder inside it named after what is listed.
  std::filesystem::path GalleriesFolder{};
  bool NewGalleryFolders = false;

  // Everything in one folder, as a build folder or an unpacked copy keeps it.
  static AppFolders Beside(const std::filesystem::path& folder);

  // The first data folder's file of that name that exists; the first data folder's path
  // when none does, so a message about it names where it belongs.
  std::filesystem::path ShippedFile(std::string_view name) const;
};

// What the decision looks at; platform/SystemFolders gathers it from the running program.
struct FolderFacts {
  std::filesystem::path ExecutableFolder;
  bool ExecutableFolderWritable = false;
  std::filesystem::path InstalledBinFolder;   // where an install puts the executable
  std::filesystem::path InstalledDataFolder;  // where an install puts the shipped files
  std::filesystem::path UserDataFolder;       // $XDG_DATA_HOME; empty when unknown
  std::filesystem::path PicturesFolder;       // the user's pictures folder; empty when unknown
};

// A writable executable folder that is not the install's own keeps everything beside the
// executable. Otherwise (an installed program, also when root could write there) Vexilo's
// files go to UserDataFolder/Vexilo, downloads to PicturesFolder/Vexilo, galleries to new
// folders in PicturesFolder/"Vexilo galleries", and the shipped
// files are read from that program folder first, then from InstalledDataFolder. Without a
// user data folder there is nowhere else to go, and the executable's folder is kept.
AppFolders ResolveAppFolders(const FolderFacts& facts);

}  // namespace vexilo
