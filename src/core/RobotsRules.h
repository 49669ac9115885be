#pragma once
// A site's robots.txt as one crawler reads it (RFC 9309): the rules of the groups for its
// product token, else of the "*" groups, matched against an address's path and query with
// "*" wildcards and a "$" end anchor; the longest pattern wins, allow on a tie. Pure text
// rules, no network.

#include <string>
#include <string_view>
#include <vector>

namespace vexilo {

// The product token Vexilo's requests name in their user agent.
inline constexpr std::string_view kRobotsAgent = "Vexilo";
// What is read of a robots.txt at most; the rest is ignored.
inline constexpr std::size_t kMostRobotsBytes = 500 * 1024;

class RobotsRules {
 public:
  // No rules: everything is allowed (also what a missing robots.txt means).
  RobotsRules() = default;
  static RobotsRules DisallowAll();
  // Takes what it can of text, whatever it holds: lines it does not understand are passed
  // over. agent is matched without regard to case.
  static RobotsRules Parse(std::string_view text, std::string_view agent = kRobotsAgent);

  // pathAndQuery as RobotsPathOf gives it.
  bool Allows(std::string_view pathAndQuery) const;

 private:
  struct Rule {
    std::string Pattern;  // normalised
    bool Allow;
  };
  std::vector<Rule> mRules;
};

// "scheme://host:port" in lower case: the site one robots.txt speaks for. Empty when the
// address names no host.
std::string RobotsOriginOf(std::string_view address);
// The path and query of address without its fragment; "/" when it has no path.
std::string RobotsPathOf(std::string_view address);

}  // namespace vexilo
