#include "downloader/CurlHandlePool.h"

#include "downloader/CurlRequest.h"

namespace vexilo {

CurlHandlePool::CurlHandlePool(std::size_t capacity) : mCapacity(capacity) { InitCurlOnce(); }

CurlHandlePool::~CurlHandlePool() { Clear(); }

CURL* CurlHandlePool::Take() {
  {
    std::lock_guard lock(mMutex);
    if (!mIdle.empty()) {
      CURL* handle = mIdle.back();
      mIdle.pop_back();
      curl_easy_reset(handle);  // keeps the open connection
      return handle;
    }
  }
  return curl_easy_init();
}

void CurlHandlePool::Give(CURL* handle) {
  if (handle == nullptr) return;
  {
    std::lock_guard lock(mMutex);
    if (mIdle.size() < mCapacity) {
      mIdle.push_back(handle);
      return;
    }
  }
  curl_easy_cleanup(handle);
}

void CurlHandlePool::Clear() {
  std::vector<CURL*> idle;
  {
    std::lock_guard lock(mMutex);
    idle.swap(mIdle);
  }
  for (CURL* handle : idle) curl_easy_cleanup(handle);
}

}  // namespace vexilo
