#pragma once
// An owned libcurl multi handle, driven by one thread at a time; Wake may come from any
// thread while the handle lives. The easy handles stay the caller's: it adds them, and gets
// each back from NextDone or Remove before it cleans it up.

#include <curl/curl.h>

#include <chrono>
#include <optional>

namespace vexilo {

class CurlMulti {
 public:
  struct Done {
    CURL* Easy;
    CURLcode Code;
  };

  // Raises std::bad_alloc when libcurl cannot make one.
  CurlMulti();
  ~CurlMulti();
  CurlMulti(const CurlMulti&) = delete;
  CurlMulti& operator=(const CurlMulti&) = delete;

  // With no easy handle added: a fresh multi handle takes this one's place, closing the
  // connections it kept. False, and nothing changes, when none can be made.
  bool Renew();

  bool Add(CURL* easy);
  void Remove(CURL* easy);
  // Moves every transfer on as far as it can without waiting. False when the handle failed.
  bool Perform();
  // A transfer that has ended, already removed from the multi handle; none when no more.
  std::optional<Done> NextDone();
  // Waits until a transfer has something to do, Wake is called or longest has passed. True
  // when a transfer has something to do.
  bool Poll(std::chrono::milliseconds longest);
  void Wake();

 private:
  CURLM* mMulti;
};

}  // namespace vexilo
