#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "downloader/CurlRequest.h"
#include "downloader/PictureRequest.h"
#include "support/FetchOnce.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "support/UntrustedHttpsServer.h"

namespace vexilo::test {
namespace {

using namespace std::string_literals;

const std::string kBasicUserSecret = "Basic dXNlcjpzZWNyZXQ=";

TransferLimits ShortLimits() {
  TransferLimits limits;
  limits.ConnectTimeout = std::chrono::milliseconds(1000);
  limits.TotalTime = std::chrono::milliseconds(3000);
  return limits;
}

std::string AuthorizationOf(const SeenRequest& request) {
  return httplib::detail::get_header_value(request.Headers, "Authorization", 0, "");
}

// The task's site on 127.0.0.1 and a third-party host on "localhost": different sites to
// SiteOf, one machine to the test.
class FetchRulesTest : public testing::Test {
 protected:
  void SetUp() override {
    mSettings.AuthName = "user";
    mSettings.AuthPass = "secret";
    httplib::Server& http = mSite.Http();
    // /hop/<n> sends the client on n more times before the picture.
    http.Get(R"(/hop/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
      const int left = std::stoi(request.matches[1]);
      if (left == 0) {
        response.set_content("GIF89a\x01\x00\x01\x00\x00\x00\x00;"s, "image/gif");
      } else {
        response.set_redirect("/hop/" + std::to_string(left - 1));
        response.set_content("moved", "text/html");
      }
    });
    http.Get("/missing.jpg", [](const httplib::Request&, httplib::Response& response) {
      response.status = 404;
      response.set_content("<html>gone</html>", "text/html");
    });
    http.Get("/broken.jpg", [](const httplib::Request&, httplib::Response& response) {
      response.status = 500;
      response.set_content("<html>oops</html>", "text/html");
    });
    http.Get("/page.jpg", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("<html>no picture here, only a page that says so</html>", "text/html");
    });
    mSite.AddPicture("/pic.gif");
    mSite.AddRedirect("/away.gif", OtherUrl("/pic.gif"));
    mSite.AddRedirect("/to-ftp.gif", "ftp://127.0.0.1:" + std::to_string(mOther.Port()) + "/x");
    mOther.AddPicture("/pic.gif");
  }

  std::string OtherUrl(const std::string& path) const {
    return "http://localhost:" + std::to_string(mOther.Port()) + path;
  }

  // As the scheduler builds it for a task that started at the site's front page.
  DownloadRequest Request(const std::string& url) const {
    return PictureRequest(mSettings, nullptr, mSite.Url("/"), url, "", SavePath());
  }
  std::string SavePath() const { return (mFolder / "picture.jpg").string(); }

  FetchResult Fetch(const DownloadRequest& request) {
    return FetchOnce(request, ShortLimits(), mAbort);
  }

  TempDir mFolder;
  AppSettings mSettings;
  LoopbackServer mSite;
  LoopbackServer mOther;
  std::atomic<bool> mAbort{false};
};

struct SiteCase {
  const char* Start;
  const char* Picture;
  bool OnSite;
};
void PrintTo(const SiteCase& row, std::ostream* out) { *out << row.Start << " / " << row.Picture; }

class OnTaskSiteTest : public testing::TestWithParam<SiteCase> {};

TEST_P(OnTaskSiteTest, ComparesTheSitesOfBothHosts) {
  EXPECT_EQ(OnTaskSite(GetParam().Start, GetParam().Picture), GetParam().OnSite);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, OnTaskSiteTest,
    testing::Values(SiteCase{"http://www.example.com/", "https://cdn.example.com/a.jpg", true},
                    SiteCase{"HTTP://WWW.Example.COM/x", "http://example.com/a.jpg", true},
                    SiteCase{"http://example.com/", "http://example.org/a.jpg", false},
                    SiteCase{"http://example.com:8080/", "http://example.com/a.jpg", false},
                    // An "@" further on must not pass a foreign host as the site's.
                    SiteCase{"http://example.com/", "http://evil.test/a.jpg?to=me@example.com",
                             false},
                    SiteCase{"http://example.com/", "http://example.com@evil.test/a.jpg", false},
                    SiteCase{"", "http://example.com/a.jpg", false}));

TEST_F(FetchRulesTest, CredentialsGoOnlyToTheTaskSite) {
  EXPECT_TRUE(Fetch(Request(mSite.Url("/pic.gif"))).Ok);
  EXPECT_TRUE(Fetch(Request(OtherUrl("/pic.gif"))).Ok);
  ASSERT_EQ(mSite.Requests().size(), 1u);
  EXPECT_EQ(AuthorizationOf(mSite.Requests()[0]), kBasicUserSecret);
  ASSERT_EQ(mOther.Requests().size(), 1u);
  EXPECT_EQ(AuthorizationOf(mOther.Requests()[0]), "");
}

TEST_F(FetchRulesTest, CredentialsStayBehindWhenARedirectionLeavesTheHost) {
  DownloadRequest request = Request(mSite.Url("/away.gif"));
  request.FollowRedirects = true;
  const FetchResult fetched = Fetch(request);
  EXPECT_TRUE(fetched.Ok);
  EXPECT_EQ(fetched.FinalUrl, OtherUrl("/pic.gif"));
  ASSERT_EQ(mSite.Requests().size(), 1u);
  EXPECT_EQ(AuthorizationOf(mSite.Requests()[0]), kBasicUserSecret);
  ASSERT_EQ(mOther.Requests().size(), 1u);
  EXPECT_EQ(AuthorizationOf(mOther.Requests()[0]), "");
}

struct RedirectCase {
  const char* Name;
  const char* Path;
  bool Follow;
  bool Downloaded;
  const char* FinalPath;  // "" when none was followed, or the chain failed
  bool FileLeft;          // a whole last response stays, whatever its status
};
void PrintTo(const RedirectCase& row, std::ostream* out) { *out << row.Name; }

class RedirectTest : public FetchRulesTest, public testing::WithParamInterface<RedirectCase> {};

TEST_P(RedirectTest, FollowsAsTheOptionSays) {
  const RedirectCase& row = GetParam();
  DownloadRequest request = Request(mSite.Url(row.Path));
  request.FollowRedirects = row.Follow;
  const FetchResult fetched = Fetch(request);
  EXPECT_EQ(fetched.Ok, row.Downloaded);
  // Never with the credentials libcurl writes into a followed relative address.
  EXPECT_EQ(fetched.FinalUrl, *row.FinalPath ? mSite.Url(row.FinalPath) : "");
  EXPECT_EQ(std::filesystem::exists(SavePath()), row.FileLeft);
  EXPECT_EQ(fetched.RemovedBecause, "");
}

INSTANTIATE_TEST_SUITE_P(
    Chains, RedirectTest,
    testing::Values(RedirectCase{"OffKeepsTheRedirection", "/hop/1", false, false, "", true},
                    RedirectCase{"OneIsFollowed", "/hop/1", true, true, "/hop/0", true},
                    RedirectCase{"FiveAreFollowed", "/hop/5", true, true, "/hop/0", true},
                    RedirectCase{"SixAreTooMany", "/hop/6", true, false, "", false},
                    RedirectCase{"OtherSchemesAreRefused", "/to-ftp.gif", true, false, "", false}),
    [](const testing::TestParamInfo<RedirectCase>& row) { return row.param.Name; });

struct HttpsHopCase {
  const char* Name;
  bool Follow;
  bool KeepOnlyRealPictures;
  int Handshakes;  // the https server saw
  const char* Reason;
  const char* FileHolds;  // nullptr: no file is left
};
void PrintTo(const HttpsHopCase& row, std::ostream* out) { *out << row.Name; }

class HttpsHopTest : public FetchRulesTest, public testing::WithParamInterface<HttpsHopCase> {};

// An old http address that moved to https, on a server no certificate store trusts: followed,
// the hop is made and then refused for the certificate.
TEST_P(HttpsHopTest, IsTakenOnlyWhenFollowing) {
  const HttpsHopCase& row = GetParam();
  UntrustedHttpsServer https;
  https.Https().Get("/pic.gif", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("GIF89a", "image/gif");
  });
  mSite.Http().Get("/old.gif", [&https](const httplib::Request&, httplib::Response& response) {
    response.set_redirect(https.Url("/pic.gif"));
    response.set_content("moved", "text/html");
  });
  DownloadRequest request = Request(mSite.Url("/old.gif"));
  request.FollowRedirects = row.Follow;
  request.KeepOnlyRealPictures = row.KeepOnlyRealPictures;

  const FetchResult fetched = Fetch(request);

  EXPECT_EQ(https.Handshakes(), row.Handshakes);
  EXPECT_FALSE(fetched.Ok);
  EXPECT_EQ(fetched.Reason, row.Reason);
  EXPECT_EQ(fetched.FinalUrl, "");
  if (row.FileHolds == nullptr) {
    EXPECT_FALSE(std::filesystem::exists(SavePath()));
  } else {
    EXPECT_EQ(ReadFileBytes(SavePath()), row.FileHolds);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Option, HttpsHopTest,
    testing::Values(HttpsHopCase{"FollowedAndRefusedForTheCertificate", true, true, 1,
                                 "secure connection failed", nullptr},
                    HttpsHopCase{"NotFollowedWhenOff", false, false, 0, "302 Found", "moved"}),
    [](const testing::TestParamInfo<HttpsHopCase>& row) { return row.param.Name; });

TEST_F(FetchRulesTest, OffTheFileHoldsTheRedirectionsBody) {
  EXPECT_FALSE(Fetch(Request(mSite.Url("/hop/1"))).Ok);
  EXPECT_EQ(ReadFileBytes(SavePath()), "moved");
}

// Each hop of a followed transfer in turn: once one was https, plain http is refused.
TEST(RedirectGuard, RefusesPlainHttpAfterHttpsAndCookiesToAnotherHost) {
  struct Chain {
    std::vector<std::string> Hops;
    bool Allowed;  // every hop
    std::string CookieHost = "";
  };
  const std::vector<Chain> chains = {
      {{"http://a.test/1", "http://a.test/2"}, true},
      {{"http://a.test/1", "https://a.test/2"}, true},
      {{"https://a.test/1", "HTTPS://b.test/2"}, true},
      {{"https://a.test/1", "http://a.test/2"}, false},
      {{"HTTPS://a.test/1", "http://a.test/2"}, false},
      {{"http://a.test/1", "https://a.test/2", "http://a.test/3"}, false},
      {{"http://a.test/1", "https://A.test/2"}, true, "a.test"},
      {{"http://a.test/1", "http://b.test/2"}, false, "a.test"},
  };
  for (const Chain& chain : chains) {
    RedirectGuard guard;
    guard.Attach(nullptr, chain.CookieHost);
    bool allowed = true;
    for (const std::string& hop : chain.Hops) allowed = guard.Allows(hop) && allowed;
    EXPECT_EQ(allowed, chain.Allowed) << chain.Hops.back() << " after " << chain.Hops.front();
  }
}

struct KeepCase {
  const char* Name;
  const char* Path;
  const char* RemovedBecause;  // with the option; "" keeps the file
};
void PrintTo(const KeepCase& row, std::ostream* out) { *out << row.Name; }

class KeepOnlyRealPicturesTest : public FetchRulesTest,
                                 public testing::WithParamInterface<KeepCase> {};

TEST_P(KeepOnlyRealPicturesTest, DeletesWhatIsNoPictureOnlyWhenOn) {
  const KeepCase& row = GetParam();
  DownloadRequest request = Request(mSite.Url(row.Path));

  const FetchResult kept = Fetch(request);
  EXPECT_EQ(kept.RemovedBecause, "");
  EXPECT_TRUE(std::filesystem::exists(SavePath())) << "off: the body stays, as it always did";
  std::filesystem::remove(SavePath());

  request.KeepOnlyRealPictures = true;
  const FetchResult checked = Fetch(request);
  EXPECT_EQ(checked.RemovedBecause, row.RemovedBecause);
  EXPECT_EQ(std::filesystem::exists(SavePath()), *row.RemovedBecause == '\0');
  EXPECT_EQ(checked.Ok, kept.Ok && *row.RemovedBecause == '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Answers, KeepOnlyRealPicturesTest,
    testing::Values(KeepCase{"Picture", "/pic.gif", ""},
                    KeepCase{"NotFound", "/missing.jpg", "404 Not Found"},
                    KeepCase{"ServerError", "/broken.jpg", "500 Internal Server Error"},
                    KeepCase{"PageSentAsPicture", "/page.jpg", "not a picture"},
                    KeepCase{"RedirectionNotFollowed", "/hop/1", "302 Found"}),
    [](const testing::TestParamInfo<KeepCase>& row) { return row.param.Name; });

TEST_F(FetchRulesTest, KeepOnlyRealPicturesDeletesWhatAFailedConnectionLeft) {
  DownloadRequest request =
      Request("http://127.0.0.1:" + std::to_string(UnusedPort()) + "/pic.gif");
  request.KeepOnlyRealPictures = true;
  const FetchResult fetched = Fetch(request);
  EXPECT_FALSE(fetched.Ok);
  EXPECT_EQ(fetched.RemovedBecause, "download failed");
  EXPECT_FALSE(std::filesystem::exists(SavePath()));
}

}  // namespace
}  // namespace vexilo::test
