#include "tasks/FolderDeletion.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "core/TaskStateFiles.h"
#include "core/TextRules.h"
#include "core/UniqueFd.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
    return user->pw_dir;
  }
  return std::nullopt;
}

// True when outer is inner or one of inner's parents (both absolute and normal).
bool Holds(const fs::path& outer, const fs::path& inner) {
  auto in = inner.begin();
  for (auto out = outer.begin(); out != outer.end(); ++out, ++in) {
    if (out->empty()) continue;  // the empty part a trailing "/" leaves
    if (in == inner.end() || *out != *in) return false;
  }
  return true;
}

// The real location of the folder named by path, with its own last part unresolved so that a
// link there is seen as a link; std::nullopt when the path must not be worked on.
std::optional<fs::path> SafeTarget(const std::string& path, const ProtectedFolders& keep) {
  fs::path target = fs::path(Trim(path)).lexically_normal();
  if (target.empty() || !target.is_absolute()) return std::nullopt;
  if (!target.has_filename()) target = target.parent_path();
  if (target == target.root_path()) return std::nullopt;

  std::error_code ec;
  fs::path resolved = fs::canonical(target.parent_path(), ec) / target.filename();
  if (ec) return std::nullopt;
  for (const fs::path& folder : keep.Folders) {
    fs::path real = fs::weakly_canonical(folder, ec);
    if (!ec && Holds(resolved, real)) return std::nullopt;
  }
  return resolved;
}

bool InUseAt(int folderFd, const char* name) {
  struct stat info {};
  if (::fstatat(folderFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return errno != ENOENT && errno != ENOTDIR;
  }
  if (S_ISDIR(info.st_mode)) return false;
  // The owner of everything here may be root, who can open any file: go by the permissions.
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;

  UniqueFd file(::openat(folderFd, name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.Get() < 0) return true;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  if (::fcntl(file.Get(), F_GETLK, &probe) != 0 || probe.l_type != F_UNLCK) return true;
  if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) return true;
  ::flock(file.Get(), LOCK_UN);
  return false;
}

// Works through the entries of the open folder, which it takes over. Returns false when a
// sub-folder could not be removed: the entries after it are left as they are.
bool DeleteContentsOf(int folderFd) {
  DIR* folder = ::fdopendir(folderFd);
  if (folder == nullptr) {
    ::close(folderFd);
    return false;
  }
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(folder)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  const int fd = ::dirfd(folder);
  bool finished = true;
  for (const std::string& name : names) {
    struct stat info {};
    if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(info.st_mode)) {
      if (name.front() == '.') continue;  // hidden folders are not ours to remove
      int sub = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (sub >= 0) DeleteContentsOf(sub);
      if (::unlinkat(fd, name.c_str(), AT_REMOVEDIR) != 0) {
        finished = false;
        break;
      }
    } else if (S_ISLNK(info.st_mode)) {
      ::unlinkat(fd, name.c_str(), 0);
    } else if (S_ISREG(info.st_mode) && !InUseAt(fd, name.c_str())) {
      ::unlinkat(fd, name.c_str(), 0);
    }
  }
  ::closedir(folder);
  return finished;
}

bool DeleteTargetContents(const fs::path& target) {
  int fd = ::open(target.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  return DeleteContentsOf(fd);
}

}  // namespace

ProtectedFolders ProtectedFolders::For(const fs::path& programFolder,
                                       const std::string& downFolder) {
  ProtectedFolders keep;
  keep.Folders = {programFolder, programFolder / TaskStateFiles::kStateFolder};
  if (!downFolder.empty()) keep.Folders.emplace_back(downFolder);
  if (auto home = HomeFolder()) keep.Folders.push_back(*home);
  return keep;
}

bool DeletionAllowed(const std::string& path, const ProtectedFolders& keep) {
  return SafeTarget(path, keep).has_value();
}

bool DeleteFolderContents(const std::string& path, const ProtectedFolders& keep) {
  std::optional<fs::path> target = SafeTarget(path, keep);
  return target && DeleteTargetContents(*target);
}

void DeleteFolder(const std::string& path, const ProtectedFolders& keep) {
  std::optional<fs::path> target = SafeTarget(path, keep);
  if (!target) return;
  DeleteTargetContents(*target);
  ::rmdir(target->c_str());  // fails, as it should, while the folder is not empty
}

bool FileInUse(const fs::path& path) { return InUseAt(AT_FDCWD, path.c_str()); }

}  // namespace vexilo
