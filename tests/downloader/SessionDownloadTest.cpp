// Downloads with the browser's session: a picture behind a logon cookie, one behind a
// hotlink check on Referer and one refused to libcurl's user agent, each fetched through the
// scheduler with the option on and with it off (no cookie, no referrer, our own agent).

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>

#include "downloader/DownloadPool.h"
#include "downloader/DownloadScheduler.h"
#include "downloader/DownloadTimer.h"
#include "support/FakeSeams.h"
#include "support/FakeSession.h"
#include "support/LoopbackServer.h"
#include "support/SchedulerRig.h"
#include "support/TempDir.h"

namespace vexilo::test {
namespace {

void Guard(httplib::Server& http, const std::string& path,
           std::function<bool(const httplib::Request&)> allowed) {
  http.Get(path, [allowed = std::move(allowed)](const httplib::Request& request,
                                                httplib::Response& response) {
    if (allowed(request)) {
      response.set_content("GIF89a picture", "image/gif");
    } else {
      response.status = 403;
      response.set_content("refused", "text/plain");
    }
  });
}

std::string Header(const SeenRequest& seen, const std::string& name) {
  auto found = seen.Headers.find(name);
  return found == seen.Headers.end() ? "" : found->second;
}

struct SessionCase {
  const char* Route;
  const char* Why;
};

void PrintTo(const SessionCase& row, std::ostream* out) { *out << row.Why; }

class SessionDownloadTest : public testing::TestWithParam<SessionCase>, protected SchedulerRig {
 protected:
  SessionDownloadTest() {
    httplib::Server& http = mServer.Http();
    Guard(http, "/members/pic.gif", [](const httplib::Request& request) {
      return request.get_header_value("Cookie").find("login=yes") != std::string::npos;
    });
    Guard(http, "/hotlink/pic.gif", [this](const httplib::Request& request) {
      return request.get_header_value("Referer") == Page();
    });
    Guard(http, "/agent/pic.gif", [](const httplib::Request& request) {
      const std::string agent = request.get_header_value("User-Agent");
      return !agent.empty() && agent.find("libcurl") == std::string::npos;
    });
    mSession.Jar.Add({"login", "yes", "127.0.0.1", true, "/members"});
    mSession.Jar.Add({"other", "site", "elsewhere.invalid", false});
    mTask.FolderName = "t";
    mTask.TaskFolder = mPictures.Path().string();
    std::filesystem::create_directories(mStateFiles.StateFolder(mTask.FolderName));
    mScheduler.SetBrowserSession(&mSession);
  }

  std::string Page() const { return mServer.Url("/gallery/index.html"); }

  // The one request the server saw, after fetching route with the option as given.
  SeenRequest Fetch(const std::string& route, bool browserSession) {
    mSettings.Advanced.BrowserSession = browserSession;
    mCrawl.Queue.push_back({mServer.Url(route), (mPictures / "pic.gif").string(), Page()});
    mFlags.CrawlFinished();
    mScheduler.StartCrawl();
    mScheduler.Tick();
    EXPECT_TRUE(mMainThread.RunUntil(
        [this] { return mScheduler.ActiveWorkers() == 0 && mCrawl.DispatchedCount == 1; }));
    const std::vector<SeenRequest> seen = mServer.Requests();
    EXPECT_EQ(seen.size(), 1u);
    return seen.empty() ? SeenRequest{} : seen.front();
  }

  FakeSession mSession;
  std::vector<std::string> mAppended;
  DownloadScheduler mScheduler{
      RigParts({[](const std::string&) { return std::optional<Bitmap24>(Bitmap24(1, 1)); },
                [this](const std::string& path, const Bitmap24&) { mAppended.push_back(path); },
                nullptr, nullptr, nullptr})};
};

TEST_P(SessionDownloadTest, TheBrowsersSessionGetsThePicture) {
  const SeenRequest seen = Fetch(GetParam().Route, true);
  EXPECT_EQ(mAppended.size(), 1u);
  EXPECT_EQ(ReadFileBytes(mPictures / "pic.gif"), "GIF89a picture");
  // Only the cookie whose host and path match goes with the request.
  EXPECT_EQ(Header(seen, "Cookie"),
            std::string(GetParam().Route) == "/members/pic.gif" ? "login=yes" : "");
  EXPECT_EQ(Header(seen, "Referer"), Page());
  EXPECT_EQ(Header(seen, "User-Agent"), kBrowserAgent);
}

TEST_P(SessionDownloadTest, WithoutItTheServerRefusesAsBefore) {
  const SeenRequest seen = Fetch(GetParam().Route, false);
  EXPECT_TRUE(mAppended.empty());
  EXPECT_EQ(ReadFileBytes(mPictures / "pic.gif"), "refused");
  EXPECT_EQ(seen.Headers.count("Cookie"), 0u);
  EXPECT_EQ(seen.Headers.count("Referer"), 0u);
  EXPECT_TRUE(Header(seen, "User-Agent").starts_with("Vexilo libcurl/"));
}

INSTANTIATE_TEST_SUITE_P(Guards, SessionDownloadTest,
                         testing::Values(SessionCase{"/members/pic.gif", "logon cookie"},
                                         SessionCase{"/hotlink/pic.gif", "hotlink referer"},
                                         SessionCase{"/agent/pic.gif", "user agent"}));

}  // namespace
}  // namespace vexilo::test
