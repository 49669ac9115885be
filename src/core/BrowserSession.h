#pragma once
// The embedded browser's session as the downloads see it: the cookies it would send to an
// address and the user agent it names itself by. Main thread.

#include <string>

namespace vexilo {

class BrowserSession {
 public:
  virtual ~BrowserSession() = default;
  // The value of the Cookie header the browser would send with a request for url; empty
  // when it would send none.
  virtual std::string CookieHeaderFor(const std::string& url) const = 0;
  virtual std::string UserAgent() const = 0;
};

}  // namespace vexilo
