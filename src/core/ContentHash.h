#pragma once
// The XXH3 hash of a file's bytes: what the duplicate check compares and the archive keeps.
// Any thread.

#include <cstdint>
#include <optional>
#include <string>

namespace vexilo {

// std::nullopt when the file cannot be read to its end.
std::optional<std::uint64_t> ContentHashOf(const std::string& path);

}  // namespace vexilo
