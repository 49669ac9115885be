#include "downloader/CurlMulti.h"

#include <new>

namespace vexilo {

CurlMulti::CurlMulti() : mMulti(curl_multi_init()) {
  if (mMulti == nullptr) throw std::bad_alloc();
}

CurlMulti::~CurlMulti() { curl_multi_cleanup(mMulti); }

bool CurlMulti::Renew() {
  CURLM* fresh = curl_multi_init();
  if (fresh == nullptr) return false;
  curl_multi_cleanup(mMulti);
  mMulti = fresh;
  return true;
}

bool CurlMulti::Add(CURL* easy) { return curl_multi_add_handle(mMulti, easy) == CURLM_OK; }

void CurlMulti::Remove(CURL* easy) { curl_multi_remove_handle(mMulti, easy); }

bool CurlMulti::Perform() {
  int stillRunning = 0;
  return curl_multi_perform(mMulti, &stillRunning) == CURLM_OK;
}

std::optional<CurlMulti::Done> CurlMulti::NextDone() {
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(mMulti, &left)) {
    if (message->msg != CURLMSG_DONE) continue;
    // The message is gone once its handle leaves the multi handle.
    const Done done{message->easy_handle, message->data.result};
    Remove(done.Easy);
    return done;
  }
  return std::nullopt;
}

bool CurlMulti::Poll(std::chrono::milliseconds longest) {
  int ready = 0;
  return curl_multi_poll(mMulti, nullptr, 0, static_cast<int>(longest.count()), &ready) ==
             CURLM_OK &&
         ready > 0;
}

void CurlMulti::Wake() { curl_multi_wakeup(mMulti); }

}  // namespace vexilo
