#include "core/CookieJar.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "core/LineFile.h"
#include "core/TextRules.h"

namespace vexilo {
namespace {

struct RequestTarget {
  bool Https = false;
  std::string Host;  // lower case, no port, no user
  std::string Path;  // from its "/", without query or fragment
};

std::optional<RequestTarget> TargetOf(std::string_view url) {
  const size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string_view::npos) return std::nullopt;
  const std::string scheme = LowerAscii(url.substr(0, schemeEnd));
  if (scheme != "http" && scheme != "https") return std::nullopt;
  std::string_view rest = url.substr(schemeEnd + 3);
  const size_t authorityEnd = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, authorityEnd);
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
    authority = authority.substr(at + 1);
  }
  std::string_view host = authority;
  if (host.starts_with('[')) {
    host = host.substr(0, host.find(']') + 1);
  } else {
    host = host.substr(0, host.find(':'));
  }
  if (host.empty()) return std::nullopt;
  std::string_view path = authorityEnd == std::string_view::npos ? "" : rest.substr(authorityEnd);
  path = path.substr(0, path.find_first_of("?#"));
  if (!path.starts_with('/')) path = "/";
  return RequestTarget{scheme == "https", LowerAscii(host), std::string(path)};
}

bool DomainMatches(const BrowserCookie& cookie, const std::string& host) {
  const std::string domain = LowerAscii(cookie.Domain);
  if (host == domain) return true;
  return !cookie.HostOnly && host.size() > domain.size() && host.ends_with(domain) &&
         host[host.size() - domain.size() - 1] == '.';
}

bool PathMatches(const std::string& cookiePath, const std::string& requestPath) {
  if (!requestPath.starts_with(cookiePath)) return false;
  return requestPath.size() == cookiePath.size() || cookiePath.ends_with('/') ||
         requestPath[cookiePath.size()] == '/';
}

bool FitsInHeader(const std::string& text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

bool SameCookie(const BrowserCookie& a, const BrowserCookie& b) {
  return a.Name == b.Name && LowerAscii(a.Domain) == LowerAscii(b.Domain) &&
         a.HostOnly == b.HostOnly && a.Path == b.Path;
}

constexpr size_t kLinesPerCookie = 7;

bool Sendable(const BrowserCookie& cookie) {
  return FitsInHeader(cookie.Name) && FitsInHeader(cookie.Value) && !cookie.Domain.empty() &&
         FitsInHeader(cookie.Domain) && FitsInHeader(cookie.Path);
}

std::optional<BrowserCookie> CookieFromLines(const std::string* lines) {
  BrowserCookie cookie{lines[0], lines[1], lines[2], lines[3] == "1", lines[4], lines[5] == "1"};
  if (!lines[6].empty()) {
    std::int64_t seconds = 0;
    const char* end = lines[6].data() + lines[6].size();
    const auto [stop, error] = std::from_chars(lines[6].data(), end, seconds);
    if (error != std::errc() || stop != end) return std::nullopt;
    cookie.Expires = CookieJar::TimePoint(std::chrono::seconds(seconds));
  }
  if (cookie.Domain.empty() || !cookie.Path.starts_with('/')) return std::nullopt;
  return cookie;
}

}  // namespace

void CookieJar::Save(const std::filesystem::path& file, TimePoint now) const {
  std::vector<std::string> lines;
  {
    std::lock_guard lock(mLock);
    for (const BrowserCookie& cookie : mCookies) {
      if ((cookie.Expires && *cookie.Expires <= now) || !Sendable(cookie)) continue;
      const std::string expires =
          cookie.Expires ? std::to_string(std::chrono::duration_cast<std::chrono::seconds>(
                                              cookie.Expires->time_since_epoch())
                                              .count())
                         : "";
      lines.insert(lines.end(),
                   {cookie.Name, cookie.Value, cookie.Domain, cookie.HostOnly ? "1" : "0",
                    cookie.Path, cookie.Secure ? "1" : "0", expires});
    }
  }
  WriteLines(file, lines);
}

void CookieJar::Load(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return;
  const std::vector<std::string> lines = ReadLines(file);
  for (size_t i = 0; i + kLinesPerCookie <= lines.size(); i += kLinesPerCookie) {
    if (std::optional<BrowserCookie> cookie = CookieFromLines(&lines[i])) Add(std::move(*cookie));
  }
}

void CookieJar::Add(BrowserCookie cookie) {
  std::lock_guard lock(mLock);
  auto same = std::find_if(mCookies.begin(), mCookies.end(),
                           [&](const BrowserCookie& kept) { return SameCookie(kept, cookie); });
  if (same != mCookies.end()) {
    *same = std::move(cookie);
  } else {
    mCookies.push_back(std::move(cookie));
  }
}

void CookieJar::Remove(const BrowserCookie& cookie) {
  std::lock_guard lock(mLock);
  std::erase_if(mCookies, [&](const BrowserCookie& kept) { return SameCookie(kept, cookie); });
}

std::string CookieJar::HeaderFor(const std::string& url, TimePoint now) const {
  const std::optional<RequestTarget> target = TargetOf(url);
  if (!target) return "";
  std::lock_guard lock(mLock);
  std::vector<const BrowserCookie*> sent;
  for (const BrowserCookie& cookie : mCookies) {
    if (cookie.Expires && *cookie.Expires <= now) continue;
    if (cookie.Secure && !target->Https) continue;
    if (!DomainMatches(cookie, target->Host) || !PathMatches(cookie.Path, target->Path)) continue;
    if (!FitsInHeader(cookie.Name) || !FitsInHeader(cookie.Value)) continue;
    sent.push_back(&cookie);
  }
  std::stable_sort(sent.begin(), sent.end(), [](const BrowserCookie* a, const BrowserCookie* b) {
    return a->Path.size() > b->Path.size();
  });
  std::string header;
  for (const BrowserCookie* cookie : sent) {
    if (!header.empty()) header += "; ";
    // A cookie without a name is sent as its value alone, as browsers do.
    header += cookie->Name.empty() ? cookie->Value : cookie->Name + "=" + cookie->Value;
  }
  return header;
}

std::vector<BrowserCookie> CookieJar::Cookies() const {
  std::lock_guard lock(mLock);
  return mCookies;
}

}  // namespace vexilo
