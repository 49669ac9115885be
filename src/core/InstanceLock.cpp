#include "core/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <system_error>

namespace vexilo {

InstanceLock::InstanceLock(const std::filesystem::path& programFolder)
    : mFile([&] {
        std::error_code error;
        std::filesystem::create_directories(programFolder, error);
        return ::open((programFolder / kInstanceLockFile).c_str(),
                      O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
      }()) {
  mHeld = mFile.Get() >= 0 && ::flock(mFile.Get(), LOCK_EX | LOCK_NB) == 0;
}

}  // namespace vexilo
