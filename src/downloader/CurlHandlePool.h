#pragma once
// Idle libcurl easy handles kept for the next downloads. A handle keeps the connection its
// last transfer left open, so a worker that takes it reuses that connection when it fetches
// from the same server, instead of connecting anew for every picture. Any thread.

#include <curl/curl.h>

#include <cstddef>
#include <mutex>
#include <vector>

namespace vexilo {

class CurlHandlePool {
 public:
  explicit CurlHandlePool(std::size_t capacity);
  ~CurlHandlePool();  // closes the idle handles and their connections
  CurlHandlePool(const CurlHandlePool&) = delete;
  CurlHandlePool& operator=(const CurlHandlePool&) = delete;

  // An idle handle with every option back at its default, or a new one; nullptr when libcurl
  // cannot make one.
  CURL* Take();
  // Keeps the handle for a later Take() when there is room, otherwise closes it. Only for a
  // handle whose last transfer succeeded.
  void Give(CURL* handle);
  // Closes the idle handles and their connections.
  void Clear();

 private:
  std::size_t mCapacity;
  std::mutex mMutex;
  std::vector<CURL*> mIdle;
};

}  // namespace vexilo
