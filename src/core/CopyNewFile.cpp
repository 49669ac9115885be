#include "core/CopyNewFile.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/UniqueFd.h"
#include "core/WriteAll.h"

namespace vexilo {
namespace {

// A copy in user space, for file systems the kernel cannot copy between.
bool CopyByReading(int in, int out) {
  char buffer[256 * 1024];
  for (;;) {
    const ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (!WriteAll(out, buffer, static_cast<size_t>(got))) return false;
  }
}

bool CopyInKernel(int in, int out) {
  if (::ioctl(out, FICLONE, in) == 0) return true;
  bool first = true;
  for (;;) {
    const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, size_t{1} << 30, 0);
    if (copied > 0) {
      first = false;
      continue;
    }
    if (copied == 0) return true;
    if (errno == EINTR) continue;
    // Nothing copied yet and the kernel cannot do it here (another file system, an old
    // kernel): the bytes go through user space instead.
    const bool unsupported =
        errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL;
    return first && unsupported && CopyByReading(in, out);
  }
}

}  // namespace

bool CopyNewFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  UniqueFd in(::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (in.Get() < 0 || ::fstat(in.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  // O_EXCL never replaces a file and never follows a link planted at the name.
  UniqueFd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (out.Get() < 0) return false;
  if (CopyInKernel(in.Get(), out.Get()) && out.Close()) return true;
  ::unlink(to.c_str());
  return false;
}

}  // namespace vexilo
