#include <gtest/gtest.h>

#include <chrono>
#include <ostream>

#include "core/CookieJar.h"
#include "core/LineFile.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using namespace std::chrono_literals;

const CookieJar::TimePoint kNow = CookieJar::TimePoint(1'700'000'000s);

// One jar holds all of these; each case asks for one address.
void Fill(CookieJar& jar) {
  jar.Add({"host", "1", "pics.example.com", true});
  jar.Add({"domain", "2", "example.com", false});
  jar.Add({"deep", "3", "pics.example.com", true, "/members/vip"});
  jar.Add({"members", "4", "pics.example.com", true, "/members"});
  jar.Add({"secure", "5", "pics.example.com", true, "/", true});
  jar.Add({"gone", "6", "pics.example.com", true, "/", false, kNow - 1s});
  jar.Add({"fresh", "7", "pics.example.com", true, "/", false, kNow + 1h});
  jar.Add({"", "bare", "bare.example.com", true});
  jar.Add({"broken", "a\r\nX-Injected: 1", "bad.example.com", true});
  jar.Add({"ip", "8", "127.0.0.1", true});
}

struct HeaderCase {
  const char* Url;
  const char* Header;
};

void PrintTo(const HeaderCase& row, std::ostream* out) { *out << row.Url; }

class CookieHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(CookieHeader, SendsWhatABrowserWould) {
  CookieJar jar;
  Fill(jar);
  EXPECT_EQ(jar.HeaderFor(GetParam().Url, kNow), GetParam().Header);
}

INSTANTIATE_TEST_SUITE_P(
    Matching, CookieHeader,
    testing::Values(
        HeaderCase{"http://pics.example.com/a.jpg", "host=1; domain=2; fresh=7"},
        HeaderCase{"https://pics.example.com/a.jpg", "host=1; domain=2; secure=5; fresh=7"},
        // Longer paths first; "/members" covers "/members/x" but not "/membership".
        HeaderCase{"http://pics.example.com/members/vip/a.jpg?x=/",
                   "deep=3; members=4; host=1; domain=2; fresh=7"},
        HeaderCase{"http://pics.example.com/members", "members=4; host=1; domain=2; fresh=7"},
        HeaderCase{"http://pics.example.com/membership/a.jpg", "host=1; domain=2; fresh=7"},
        // Host and port case, user info and port do not matter.
        HeaderCase{"HTTP://user:pw@PICS.Example.com:8080/a.jpg", "host=1; domain=2; fresh=7"},
        HeaderCase{"http://example.com/a.jpg", "domain=2"},
        HeaderCase{"http://www.example.com", "domain=2"},
        HeaderCase{"http://badexample.com/a.jpg", ""},
        HeaderCase{"http://other.pics.example.com/a.jpg", "domain=2"},
        HeaderCase{"http://bare.example.com/", "domain=2; bare"},
        HeaderCase{"http://bad.example.com/", "domain=2"},
        HeaderCase{"http://127.0.0.1:5000/p.gif", "ip=8"},
        HeaderCase{"ftp://pics.example.com/a.jpg", ""}, HeaderCase{"pics.example.com/a.jpg", ""},
        HeaderCase{"http:///a.jpg", ""}));

TEST(CookieJar, KeepsOneCookiePerNameDomainAndPathAndForgetsRemovedOnes) {
  CookieJar jar;
  jar.Add({"id", "old", "example.com", true});
  jar.Add({"id", "new", "example.com", true});
  jar.Add({"id", "sub", "example.com", false});
  jar.Add({"id", "deep", "example.com", true, "/a"});
  EXPECT_EQ(jar.HeaderFor("http://example.com/a/b", kNow), "id=deep; id=new; id=sub");
  jar.Remove({"id", "whatever", "example.com", true});
  EXPECT_EQ(jar.HeaderFor("http://example.com/a/b", kNow), "id=deep; id=sub");
  jar.Remove({"id", "", "EXAMPLE.com", false});
  jar.Remove({"id", "", "example.com", true, "/a"});
  EXPECT_EQ(jar.HeaderFor("http://example.com/a/b", kNow), "");
}

TEST(CookieJar, SavesTheLiveCookiesAndReadsThemBack) {
  test::TempDir dir;
  CookieJar saved;
  Fill(saved);
  saved.Save(dir / "cookies", kNow);
  const std::vector<std::string> lines = ReadLines(dir / "cookies");
  // Neither the expired cookie nor the one that would break the header is kept.
  EXPECT_EQ(lines.size(), 8u * 7u);
  CookieJar loaded;
  loaded.Load(dir / "cookies");
  for (const char* url : {"https://pics.example.com/members/vip/a.jpg", "http://bare.example.com/",
                          "http://127.0.0.1:5000/p.gif"}) {
    EXPECT_EQ(loaded.HeaderFor(url, kNow), saved.HeaderFor(url, kNow)) << url;
  }
  EXPECT_EQ(loaded.HeaderFor("http://pics.example.com/", kNow + 2h), "host=1; domain=2");

  // A record that does not read is passed over; a short last one is dropped.
  test::WriteFileBytes(dir / "bad",
                       "a\r\n1\r\nx.com\r\n1\r\n/\r\n0\r\nsoon\r\n"
                       "b\r\n2\r\n\r\n1\r\n/\r\n0\r\n\r\n"
                       "c\r\n3\r\nx.com\r\n1\r\n/\r\n0\r\n\r\n"
                       "d\r\n4\r\nx.com\r\n");
  CookieJar partly;
  partly.Load(dir / "bad");
  partly.Load(dir / "missing");
  EXPECT_EQ(partly.HeaderFor("http://x.com/", kNow), "c=3");
}

}  // namespace
}  // namespace vexilo
