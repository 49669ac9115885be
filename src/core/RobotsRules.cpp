#include "core/RobotsRules.h"

#include <algorithm>
#include <optional>

#include "core/TextRules.h"
#include "core/UrlUtils.h"

namespace vexilo {
namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One spelling for the same octets in patterns and paths alike: escapes of unreserved
// characters decoded, the others in upper case, octets that must be escaped escaped.
std::string Normalised(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      const auto octet =
          static_cast<unsigned char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      if (IsUnreserved(octet)) {
        out += static_cast<char>(octet);
      } else {
        out += '%';
        out += kHex[octet >> 4];
        out += kHex[octet & 15];
      }
      i += 2;
    } else if (c <= 0x20 || c >= 0x7f) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// pattern matches the start of path, or all of it when it ends in "$".
bool Matches(std::string_view pattern, std::string_view path) {
  const bool anchored = pattern.ends_with('$');
  if (anchored) pattern.remove_suffix(1);
  // The positions in path that the pattern so far can have reached, in order.
  std::vector<std::size_t> reached{0};
  for (const char p : pattern) {
    if (p == '*') {
      std::vector<std::size_t> any;
      for (std::size_t at = reached.front(); at <= path.size(); ++at) any.push_back(at);
      reached = std::move(any);
      continue;
    }
    std::vector<std::size_t> next;
    for (const std::size_t at : reached) {
      if (at < path.size() && path[at] == p) next.push_back(at + 1);
    }
    if (next.empty()) return false;
    reached = std::move(next);
  }
  return !anchored || reached.back() == path.size();
}

// The token a user-agent line names: its leading letters, "_" and "-" ("Vexilo/2.0" names
// "Vexilo"), or "*".
std::string AgentToken(std::string_view value) {
  if (value.starts_with('*')) return "*";
  std::size_t end = 0;
  while (end < value.size()) {
    const char c = value[end];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '-')) break;
    ++end;
  }
  return LowerAscii(value.substr(0, end));
}

struct Line {
  std::string Key;  // lower case
  std::string Value;
};

// "key: value # comment"; nothing for a line without a colon or with an empty key.
std::optional<Line> ParseLine(std::string_view line) {
  if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
    line = line.substr(0, hash);
  }
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  Line parsed{LowerAscii(Trim(line.substr(0, colon))), Trim(line.substr(colon + 1))};
  if (parsed.Key.empty()) return std::nullopt;
  return parsed;
}

}  // namespace

RobotsRules RobotsRules::DisallowAll() {
  RobotsRules rules;
  rules.mRules.push_back({"/", false});
  return rules;
}

RobotsRules RobotsRules::Parse(std::string_view text, std::string_view agent) {
  text = text.substr(0, std::min(text.size(), kMostRobotsBytes));
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const std::string ownToken = LowerAscii(agent);
  std::vector<Rule> own;
  std::vector<Rule> anyAgent;
  bool ownFound = false;
  bool anyFound = false;
  // The group being read: whether it names us or "*", and whether its agent lines ended.
  bool forOwn = false;
  bool forAny = false;
  bool inRules = false;
  bool inGroup = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::optional<Line> line = ParseLine(text.substr(start, end - start));
    start = end + 1;
    if (!line) continue;
    if (line->Key == "user-agent") {
      if (inRules || !inGroup) forOwn = forAny = false;
      inGroup = true;
      inRules = false;
      const std::string token = AgentToken(line->Value);
      if (token == ownToken) forOwn = ownFound = true;
      if (token == "*") forAny = anyFound = true;
      continue;
    }
    const bool allow = line->Key == "allow";
    if (!allow && line->Key != "disallow") continue;  // sitemap, crawl-delay and the like
    if (!inGroup) continue;                           // a rule before any group
    inRules = true;
    // An empty disallow allows everything, which no rule at all does already.
    if (line->Value.empty()) continue;
    Rule rule{Normalised(line->Value), allow};
    if (forOwn) own.push_back(rule);
    if (forAny) anyAgent.push_back(std::move(rule));
  }
  RobotsRules rules;
  if (ownFound) {
    rules.mRules = std::move(own);
  } else if (anyFound) {
    rules.mRules = std::move(anyAgent);
  }
  return rules;
}

bool RobotsRules::Allows(std::string_view pathAndQuery) const {
  const std::string path = Normalised(pathAndQuery);
  if (path == "/robots.txt") return true;
  const Rule* best = nullptr;
  for (const Rule& rule : mRules) {
    if (!Matches(rule.Pattern, path)) continue;
    if (best == nullptr || rule.Pattern.size() > best->Pattern.size() ||
        (rule.Pattern.size() == best->Pattern.size() && rule.Allow)) {
      best = &rule;
    }
  }
  return best == nullptr || best->Allow;
}

std::string RobotsOriginOf(std::string_view address) {
  const std::size_t scheme = address.find("://");
  const std::string host = HostOf(address);
  if (scheme == std::string_view::npos || host.empty()) return "";
  return LowerAscii(Trim(address.substr(0, scheme))) + "://" + LowerAscii(host);
}

std::string RobotsPathOf(std::string_view address) {
  const std::size_t scheme = address.find("://");
  std::string_view rest = scheme == std::string_view::npos ? address : address.substr(scheme + 3);
  const std::size_t pathStart = rest.find_first_of("/?#");
  rest = pathStart == std::string_view::npos ? std::string_view() : rest.substr(pathStart);
  if (const std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
    rest = rest.substr(0, hash);
  }
  if (rest.empty()) return "/";
  if (rest.front() != '/') return "/" + std::string(rest);
  return std::string(rest);
}

}  // namespace vexilo
