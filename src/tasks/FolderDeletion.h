#pragma once
// Deletes what Delete and Restart remove: the contents of a task's picture folder and of its
// state folder. Symbolic links are removed as entries and never entered, files another
// program holds are left, and folders the program or the user cannot do without are refused.
// Main thread only.

#include <filesystem>
#include <string>
#include <vector>

namespace vexilo {

// Folders whose contents are never deleted, nor those of any folder that holds one of them.
struct ProtectedFolders {
  std::vector<std::filesystem::path> Folders;

  // The program folder, its shared state folder "task", the download folder and the
  // user's home folder (when one is known).
  static ProtectedFolders For(const std::filesystem::path& programFolder,
                              const std::string& downFolder);
};

// False for a path that is empty, relative or "/", that is a protected folder or holds one:
// DeleteFolderContents and DeleteFolder leave such a folder alone.
bool DeletionAllowed(const std::string& path, const ProtectedFolders& keep);

// Deletes the files and sub-folders inside the folder at path, as far as it can. Sub-folders
// whose names begin with "." are neither entered nor removed; files in use are left; a
// sub-folder that cannot be removed stops the work at once. Returns whether the listing was
// gone through to the end; false, with nothing deleted, for a path DeletionAllowed refuses,
// a symbolic link, or anything but a folder.
bool DeleteFolderContents(const std::string& path, const ProtectedFolders& keep);

// DeleteFolderContents, then removes the folder itself when it has become empty.
void DeleteFolder(const std::string& path, const ProtectedFolders& keep);

// True when a file exists at path (a symbolic link is not followed) and cannot be opened for
// reading and writing, has no write permission for anyone, or another process holds a lock
// on it. False for a missing path and for a folder.
bool FileInUse(const std::filesystem::path& path);

}  // namespace vexilo
