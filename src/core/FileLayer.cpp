#include "core/FileLayer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Errors.h"
#include "core/LineFile.h"
#include "core/UniqueFd.h"
#include "core/WriteAll.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const char* what, const fs::path& path, int error) {
  throw FileError(std::string(what) + " \"" + path.string() + "\". " + std::strerror(error));
}

// Where the file system has no renameat2 flags the caller must do without them.
bool FlagsRefused(int error) { return error == EINVAL || error == ENOSYS || error == ENOTSUP; }

class DiskLayer final : public FileLayer {
 public:
  bool CreateFolder(const fs::path& folder, std::optional<mode_t> mode) override {
    if (::mkdir(folder.c_str(), 0777) != 0) {
      if (errno == EEXIST) return false;
      Fail("Cannot create folder", folder, errno);
    }
    if (mode && ::chmod(folder.c_str(), *mode) != 0) {
      const int error = errno;
      ::rmdir(folder.c_str());
      Fail("Cannot create folder", folder, error);
    }
    return true;
  }

  void WriteNewFile(const fs::path& file, std::string_view text, mode_t mode) override {
    UniqueFd fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.Get() < 0) Fail("Cannot create file", file, errno);
    // No fsync, as for every line file: the threat is the program being killed.
    bool ok = WriteAll(fd.Get(), text.data(), text.size()) && ::fchmod(fd.Get(), mode) == 0;
    int error = errno;
    if (!fd.Close() && ok) {
      ok = false;
      error = errno;
    }
    if (!ok) {
      ::unlink(file.c_str());
      Fail("Cannot create file", file, error);
    }
  }

  void AppendToFile(const fs::path& file, std::string_view text) override {
    UniqueFd fd(::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.Get() < 0) Fail("Cannot write file", file, errno);
    bool ok = WriteAll(fd.Get(), text.data(), text.size());
    const int error = errno;
    if (!fd.Close() && ok) Fail("Cannot write file", file, errno);
    if (!ok) Fail("Cannot write file", file, error);
  }

  void ReplaceFile(const fs::path& file, std::string_view text) override {
    ReplaceFileText(file, text);
  }

  bool Exchange(const fs::path& a, const fs::path& b) override {
    if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) return true;
    if (FlagsRefused(errno) || errno == EXDEV) return false;
    Fail("Cannot replace folder", b, errno);
  }

  void Rename(const fs::path& from, const fs::path& to) override {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    if (!FlagsRefused(errno)) Fail("Cannot rename to", to, errno);
    struct stat taken {};
    if (::lstat(to.c_str(), &taken) == 0) Fail("Cannot rename to", to, EEXIST);
    if (::rename(from.c_str(), to.c_str()) != 0) Fail("Cannot rename to", to, errno);
  }

  void RemoveFile(const fs::path& file) override {
    if (::unlink(file.c_str()) != 0 && errno != ENOENT) Fail("Cannot delete file", file, errno);
  }

  void RemoveFolder(const fs::path& folder) override {
    if (::rmdir(folder.c_str()) != 0) Fail("Cannot delete folder", folder, errno);
  }
};

}  // namespace

FileLayer& DiskFileLayer() {
  static DiskLayer layer;
  return layer;
}

}  // namespace vexilo
