#pragma once
// Copies a file to a name that is not taken yet, by the kernel: a reflink where the file
// system shares blocks, else copy_file_range. Any thread.

#include <filesystem>

namespace vexilo {

// False, and to untouched, when to exists (a link included) or from is not a regular file
// that can be read; false, and no partial file left, when the copy fails.
bool CopyNewFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace vexilo
