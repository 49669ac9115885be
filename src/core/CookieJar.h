#pragma once
// A copy of the browser's cookies that answers which of them go with a request: domain,
// path, secure and expiry matched as a browser matches them (RFC 6265). Fed from the
// browser's cookie store as cookies come and go. Any thread.

#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vexilo {

struct BrowserCookie {
  std::string Name;
  std::string Value;
  std::string Domain;    // without a leading dot
  bool HostOnly = true;  // sent to Domain itself only, not to the hosts below it
  std::string Path = "/";
  bool Secure = false;                                             // sent over https only
  std::optional<std::chrono::system_clock::time_point> Expires{};  // none: for the session

  bool operator==(const BrowserCookie&) const = default;
};

class CookieJar {
 public:
  using TimePoint = std::chrono::system_clock::time_point;

  // Replaces the cookie of the same name, domain, host-only-ness and path.
  void Add(BrowserCookie cookie);
  void Remove(const BrowserCookie& cookie);
  // "name=value; name=value" of the cookies that go with a request for url at now, longer
  // paths first; empty when none does or url is no http(s) address. A cookie that would
  // break the header (a line end, a NUL) is never sent.
  std::string HeaderFor(const std::string& url, TimePoint now) const;

  // The cookies that are still alive at now, seven lines each, into file; one that cannot be
  // sent is left out. Raises FileError.
  void Save(const std::filesystem::path& file, TimePoint now) const;
  // Adds what Save wrote; a missing file adds nothing, a record that does not read is passed
  // over. Raises FileError when the file is there but cannot be read.
  void Load(const std::filesystem::path& file);
  // A copy of every cookie held.
  std::vector<BrowserCookie> Cookies() const;

 private:
  mutable std::mutex mLock;
  std::vector<BrowserCookie> mCookies;
};

}  // namespace vexilo
