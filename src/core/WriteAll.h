#pragma once
// Writes a whole buffer to a file descriptor, going on after short writes and interrupts.

#include <cstddef>

namespace vexilo {

// False on a write error (errno tells which); true once every byte is written.
bool WriteAll(int fd, const char* data, std::size_t size);

}  // namespace vexilo
