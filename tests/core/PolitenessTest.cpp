#include <gtest/gtest.h>

#include <string>

#include "core/HostPacing.h"
#include "core/RobotsRules.h"
#include "support/FakeClock.h"

namespace vexilo {
namespace {

using namespace std::chrono_literals;

struct RobotsCase {
  const char* what;
  const char* robots;
  const char* address;
  bool allowed;
};

void PrintTo(const RobotsCase& c, std::ostream* os) { *os << c.what << ": " << c.address; }

class RobotsRulesTest : public testing::TestWithParam<RobotsCase> {};
TEST_P(RobotsRulesTest, Example) {
  const RobotsCase& c = GetParam();
  EXPECT_EQ(RobotsRules::Parse(c.robots).Allows(RobotsPathOf(c.address)), c.allowed);
}

constexpr const char* kGroups =
    "User-agent: *\nDisallow: /\n\n"
    "User-agent: otherbot\nUser-agent: VEXILO/2.1\nDisallow: /private\n\n"
    "user-agent: vexilo\nAllow: /private/open\n";

INSTANTIATE_TEST_SUITE_P(
    Rules, RobotsRulesTest,
    testing::Values(
        RobotsCase{"empty file", "", "http://a/x", true},
        RobotsCase{"prefix", "User-agent: *\nDisallow: /photos", "http://a/photos2/x.jpg", false},
        RobotsCase{"other path", "User-agent: *\nDisallow: /photos", "http://a/about", true},
        RobotsCase{"empty disallow", "User-agent: *\nDisallow:", "http://a/x", true},
        RobotsCase{"longest wins", "User-agent: *\nDisallow: /a\nAllow: /a/b", "http://a/a/b/c",
                   true},
        RobotsCase{"longest wins the other way", "User-agent: *\nAllow: /a\nDisallow: /a/b",
                   "http://a/a/b/c", false},
        RobotsCase{"allow wins a tie", "User-agent: *\nDisallow: /a\nAllow: /a", "http://a/a",
                   true},
        RobotsCase{"wildcard", "User-agent: *\nDisallow: /*.gif", "http://a/p/q.gif?s=1", false},
        RobotsCase{"anchor", "User-agent: *\nDisallow: /*.gif$", "http://a/p/q.gif?s=1", true},
        RobotsCase{"anchor at the end", "User-agent: *\nDisallow: /*.gif$", "http://a/p/q.gif",
                   false},
        RobotsCase{"query", "User-agent: *\nDisallow: /*?sort=", "http://a/list?sort=up", false},
        RobotsCase{"fragment ignored", "User-agent: *\nDisallow: /x$", "http://a/x#top", false},
        RobotsCase{"escapes of unreserved letters", "User-agent: *\nDisallow: /%7Ejo",
                   "http://a/~jo/p", false},
        RobotsCase{"escape case", "User-agent: *\nDisallow: /a%2fb", "http://a/a%2Fb", false},
        RobotsCase{"raw UTF-8 against its escape", "User-agent: *\nDisallow: /caf%C3%A9",
                   "http://a/caf\xC3\xA9/", false},
        RobotsCase{"own group over star", kGroups, "http://a/gallery", true},
        RobotsCase{"own groups merged", kGroups, "http://a/private/x", false},
        RobotsCase{"own groups merged, allow", kGroups, "http://a/private/open/x", true},
        RobotsCase{"star when not named", "User-agent: otherbot\nDisallow: /\n", "http://a/x",
                   true},
        RobotsCase{"rules before a group ignored", "Disallow: /\nUser-agent: *\nAllow: /",
                   "http://a/x", true},
        RobotsCase{"robots.txt itself", "User-agent: *\nDisallow: /", "http://a/robots.txt", true},
        RobotsCase{"comments, CR line ends, blanks, sitemap in a group",
                   "\xEF\xBB\xBFUser-agent: * # all\r Sitemap: http://a/s.xml\r"
                   "  DISALLOW :  /x  # no\r",
                   "http://a/x", false},
        RobotsCase{"garbage passed over",
                   "<html>\x01\xff\xfe nonsense\nUser-agent *\nUser-agent: *\nfoo\nDisallow: /x\n",
                   "http://a/x/y", false}));

TEST(RobotsRules, DisallowAllAndOriginsAndPaths) {
  EXPECT_FALSE(RobotsRules::DisallowAll().Allows("/"));
  EXPECT_TRUE(RobotsRules().Allows("/x"));
  EXPECT_EQ(RobotsOriginOf("HTTP://User@Example.COM:8080/a?b"), "http://example.com:8080");
  EXPECT_EQ(RobotsOriginOf("about:blank"), "");
  EXPECT_EQ(RobotsPathOf("http://a.b"), "/");
  EXPECT_EQ(RobotsPathOf("http://a.b?q=1#f"), "/?q=1");
  // Only the first 500 KiB count: a rule past them is ignored.
  const std::string big = "User-agent: *\n" + std::string(kMostRobotsBytes, '#') + "\nDisallow: /";
  EXPECT_TRUE(RobotsRules::Parse(big).Allows("/x"));
}

TEST(HostPacing, GapsFollowTheDrawAndPausesOutlastThemUpToTheCap) {
  test::FakeClock clock;
  clock.Advance(1h);
  double draw = 0.0;
  HostPacing pacing(clock, [&draw] { return draw; });
  const Clock::TimePoint start = clock.Now();
  EXPECT_TRUE(pacing.MaySendNow("a:1"));
  pacing.Sent("a:1");
  EXPECT_EQ(pacing.NextAllowed("a:1"), start + 500ms);
  EXPECT_TRUE(pacing.MaySendNow("b:1"));  // hosts wait each on its own
  draw = 1.0;
  clock.Advance(500ms);
  pacing.Sent("a:1");
  EXPECT_EQ(pacing.NextAllowed("a:1"), start + 2000ms);
  pacing.Pause("a:1", 30s);
  EXPECT_EQ(pacing.NextAllowed("a:1"), start + 500ms + 30s);
  pacing.Sent("a:1");  // a request after all does not shorten the pause
  EXPECT_EQ(pacing.NextAllowed("a:1"), start + 500ms + 30s);
  pacing.Pause("b:1", std::chrono::hours(5));
  EXPECT_EQ(pacing.NextAllowed("b:1"), start + 500ms + HostPacing::kLongestPause);
}

}  // namespace
}  // namespace vexilo
