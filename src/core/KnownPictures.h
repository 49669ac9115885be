#pragma once
// What a check for new pictures leaves alone: the addresses the task queued before and the
// contents it had, so that neither is fetched or kept again.

#include <cstdint>
#include <string>
#include <unordered_set>

namespace vexilo {

struct KnownPictures {
  std::unordered_set<std::string> Urls;
  std::unordered_set<std::uint64_t> Contents;  // ContentHashOf the files
};

}  // namespace vexilo
