#pragma once
// A file descriptor closed when it goes, so that no early return leaks it.

#include <unistd.h>

namespace vexilo {

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : mFd(fd) {}
  ~UniqueFd() {
    if (mFd >= 0) ::close(mFd);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return mFd; }
  // Closes now: a failed close can mean the last data never reached the disk.
  bool Close() {
    const int fd = mFd;
    mFd = -1;
    return fd >= 0 && ::close(fd) == 0;
  }

 private:
  int mFd;
};

}  // namespace vexilo
