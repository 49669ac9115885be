#pragma once
// The lock an open Vexilo holds on its program folder, so that "vexilo --check" from cron or a
// timer never writes the task files under a window that writes them too (the window checks
// its scheduled tasks itself). The lock goes with the process, also when it is killed.

#include <filesystem>

#include "core/UniqueFd.h"

namespace vexilo {

inline constexpr const char* kInstanceLockFile = ".vexilo.lock";

class InstanceLock {
 public:
  // Tries once, without waiting; Held() tells whether it was got.
  explicit InstanceLock(const std::filesystem::path& programFolder);
  bool Held() const { return mHeld; }

 private:
  UniqueFd mFile;
  bool mHeld = false;
};

}  // namespace vexilo
