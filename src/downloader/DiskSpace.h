#pragma once
// Room left on the disk that takes the pictures. Below a floor the scheduler hands out no
// downloads: on a full disk each one would only leave an empty file. Any thread.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vexilo {

// Bytes an ordinary user may still write on the file system that holds folder;
// std::nullopt when that cannot be told (the folder does not exist, say).
std::optional<std::uint64_t> FreeBytesIn(const std::string& folder);

struct DiskFloor {
  static constexpr std::uint64_t kDefaultBytes = std::uint64_t{256} << 20;

  std::uint64_t Bytes = kDefaultBytes;
  // Tests fake a full disk through it.
  std::function<std::optional<std::uint64_t>(const std::string& folder)> FreeBytes = FreeBytesIn;
};

}  // namespace vexilo
