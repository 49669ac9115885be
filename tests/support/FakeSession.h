#pragma once
// A browser session whose cookies live in a jar the test fills and whose user agent is a
// browser's, not libcurl's.

#include <chrono>
#include <string>

#include "core/BrowserSession.h"
#include "core/CookieJar.h"

namespace vexilo::test {

inline constexpr const char* kBrowserAgent = "Mozilla/5.0 (X11; Linux x86_64) TestBrowser/1.0";

class FakeSession : public BrowserSession {
 public:
  std::string CookieHeaderFor(const std::string& url) const override {
    return Jar.HeaderFor(url, std::chrono::system_clock::now());
  }
  std::string UserAgent() const override { return kBrowserAgent; }

  CookieJar Jar;
};

}  // namespace vexilo::test
