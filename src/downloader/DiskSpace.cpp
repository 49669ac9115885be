#include "downloader/DiskSpace.h"

#include <sys/statvfs.h>

namespace vexilo {

std::optional<std::uint64_t> FreeBytesIn(const std::string& folder) {
  struct statvfs disk {};
  if (folder.empty() || ::statvfs(folder.c_str(), &disk) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize;
}

}  // namespace vexilo
