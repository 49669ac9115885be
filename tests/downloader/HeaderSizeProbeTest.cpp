#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "crawler/PictureHarvester.h"
#include "downloader/HeaderSizeProbe.h"
#include "support/FakeSession.h"
#include "support/LoopbackServer.h"
#include "support/QueueLists.h"
#include "support/TempDir.h"

namespace vexilo {

void PrintTo(const PictureDimensions& size, std::ostream* os) {
  *os << size.Width << " x " << size.Height;
}
void PrintTo(const PictureEntry& row, std::ostream* os) {
  *os << row.Name << " " << row.Width << " x " << row.Height << " on " << row.Page;
}

namespace test {
namespace {

using namespace std::string_literals;
using std::chrono::milliseconds;
using Sizes = std::vector<std::optional<PictureDimensions>>;

constexpr const char* kPage = "http://127.0.0.1/gallery.html";

// Every limit near a second, so that a server that never answers costs a second.
ProbeLimits ShortProbeLimits() {
  ProbeLimits limits;
  limits.ConnectTimeout = milliseconds(1000);
  limits.TotalTime = milliseconds(1000);
  return limits;
}

// A JPEG whose frame header (width x height) starts at byte frameAt, padded with application
// segments before it and zeros after it up to size bytes.
std::string Jpeg(int width, int height, std::size_t frameAt = 2, std::size_t size = 100000) {
  std::string bytes = "\xFF\xD8"s;
  while (bytes.size() < frameAt) {
    const std::size_t length = std::min<std::size_t>(frameAt - bytes.size() - 2, 60000);
    bytes += "\xFF\xE1"s + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF);
    bytes.append(length - 2, 'x');
  }
  bytes += "\xFF\xC0\x00\x11\x08"s + static_cast<char>(height >> 8) +
           static_cast<char>(height & 0xFF) + static_cast<char>(width >> 8) +
           static_cast<char>(width & 0xFF);
  bytes.resize(std::max(size, bytes.size()), '\0');
  return bytes;
}

std::string Answer(const std::string& statusLine, const std::string& headers,
                   const std::string& body) {
  return "HTTP/1.1 " + statusLine + "\r\n" + headers +
         "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// Polls without burning a core, as the main window's event pump does.
bool Pump() {
  std::this_thread::sleep_for(milliseconds(5));
  return true;
}

// A crawl's harvest of pages through a probe, the real-size filter on: pictures under
// 200 x 150 are dropped, those of unknown size kept with the markup's size.
class Harvest {
 public:
  explicit Harvest(PictureSizeProbe& probe)
      : mHarvester(mTask, mIndexes, mRows, mFlags, mHooks, mOptions, &probe, &Pump) {
    mTask.MinWidth = 200;
    mTask.MinHeight = 150;
    mOptions.RealSizeFilter = true;
    mHarvester.StartCrawl(mFolder.Path().string());
  }

  void Page(const PageDocument& page, const std::string& address) {
    mHarvester.HarvestPictures(page, address);
  }
  const std::vector<PictureEntry>& Rows() const { return mRows; }
  std::vector<std::string> Queued() const { return QueuedUrls(mState); }

 private:
  struct : CrawlHooks {
    void StartDownloads() override {}
    void PictureListReset() override {}
    void PictureRowAdded(const PictureEntry&) override {}
    void SetGridVisible(bool) override {}
  } mHooks;
  TempDir mFolder;
  TaskRecord mTask;
  AdvancedSettings mOptions;
  CrawlState mState;
  CrawlIndexes mIndexes{mState};
  std::vector<PictureEntry> mRows;
  RunState mFlags;
  PictureHarvester mHarvester;
};

class HeaderSizeProbeTest : public testing::Test {
 protected:
  void SetUp() override {
    mTask.StartUrl = mServer.Url("/");
    httplib::Server& http = mServer.Http();
    // Served whole or in part as the request's Range says.
    http.Get("/big.jpg", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(Jpeg(800, 600), "image/jpeg");
    });
    http.Get("/small.jpg", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(Jpeg(16, 16), "image/jpeg");
    });
    http.Get("/missing.jpg", [](const httplib::Request&, httplib::Response& response) {
      response.status = 404;
      response.set_content(Jpeg(640, 480), "image/jpeg");  // a picture, but not this one
    });
    http.Get("/page.jpg", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(std::string(70000, '<'), "text/html");
    });
    mServer.AddRedirect("/moved.jpg", "/big.jpg");
  }

  Sizes Read(const std::vector<std::string>& addresses, ProbeLimits limits = ShortProbeLimits()) {
    HeaderSizeProbe probe(mSettings, mTask, limits);
    return probe.ReadSizes(addresses, kPage, &Pump);
  }

  AppSettings mSettings;
  TaskRecord mTask;  // its site is the test server's, as a crawl of it would have
  LoopbackServer mServer;
};

struct AnswerCase {
  const char* Name;
  std::string Path;  // on the test server; a full address when it has a scheme
  std::optional<PictureDimensions> Expected;
  std::string Raw = "";  // else the one answer of a server that ignores Range
};
void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.Name; }

class ProbeAnswerTest : public HeaderSizeProbeTest,
                        public testing::WithParamInterface<AnswerCase> {};

TEST_P(ProbeAnswerTest, ReadsTheSizeOrLeavesItUnknown) {
  const std::string& path = GetParam().Path;
  std::optional<RawServer> raw;
  if (!GetParam().Raw.empty()) raw.emplace(GetParam().Raw);
  const std::string address = raw                        ? raw->Url(path)
                              : path.starts_with("http") ? path
                                                         : mServer.Url(path);
  EXPECT_EQ(Read({address}), Sizes{GetParam().Expected});
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ProbeAnswerTest,
    testing::Values(
        AnswerCase{"Picture", "/big.jpg", PictureDimensions{800, 600}},
        AnswerCase{"NotFound", "/missing.jpg", std::nullopt},
        AnswerCase{"NotAPicture", "/page.jpg", std::nullopt},
        AnswerCase{"RedirectNotFollowed", "/moved.jpg", std::nullopt},
        AnswerCase{"NeverAnswers", "/stall", std::nullopt},
        AnswerCase{"DeadHost", std::string("http://") + kUnresolvableHost + "/p.jpg", std::nullopt},
        // Whole pictures: no more than the first 64 KB is read.
        AnswerCase{"FrameWithin64KB", "/p.jpg", PictureDimensions{300, 200},
                   Answer("200 OK", "", Jpeg(300, 200, 65000, 200000))},
        AnswerCase{"FrameBeyond64KB", "/p.jpg", std::nullopt,
                   Answer("200 OK", "", Jpeg(300, 200, 70000, 200000))},
        // A part that does not start at the first byte is not a header.
        AnswerCase{"PartFromTheMiddle", "/p.jpg", std::nullopt,
                   Answer("206 Partial Content", "Content-Range: bytes 10-65545/200000\r\n",
                          Jpeg(300, 200))}));

// The page a crawl reads, whose markup claims sizes its pictures do not have: one ranged
// request per candidate, with the downloads' credentials.
TEST_F(HeaderSizeProbeTest, HarvestKeepsTheLargePicturesAndDropsTheSmallOne) {
  mSettings.AuthName = "user";
  mSettings.AuthPass = "secret";
  PageDocument page;
  std::vector<std::string> big;
  for (int i = 0; i < 12; ++i) {
    big.push_back(mServer.Url("/big.jpg?" + std::to_string(i)));
    page.Images.push_back({big.back(), 16, 16});
  }
  const std::string small = mServer.Url("/small.jpg");
  page.Images.push_back({small, 300, 300});
  page.Images.push_back({big[0], 300, 300});
  // The test server's listen backlog is small: a connection it drops is retried after a
  // second, which short limits would not wait for.
  HeaderSizeProbe probe(mSettings, mTask);
  Harvest harvest(probe);
  harvest.Page(page, kPage);
  EXPECT_EQ(harvest.Queued(), big);
  EXPECT_EQ(harvest.Rows().front(), (PictureEntry{"big.jpg?0", big[0], "800", "600", kPage}));
  const std::vector<SeenRequest> requests = mServer.Requests();
  EXPECT_EQ(requests.size(), big.size() + 1);
  for (const SeenRequest& request : requests) {
    EXPECT_EQ(httplib::detail::get_header_value(request.Headers, "Range", 0, ""), "bytes=0-65535"s);
    EXPECT_EQ(httplib::detail::get_header_value(request.Headers, "Authorization", 0, ""),
              "Basic dXNlcjpzZWNyZXQ="s);
  }
}

// As the picture's download would: credentials for the task's site only, redirections as
// the option says.
TEST_F(HeaderSizeProbeTest, FollowsTheDownloadsRulesForCredentialsAndRedirections) {
  mSettings.AuthName = "user";
  mSettings.AuthPass = "secret";
  LoopbackServer other;
  other.Http().Get("/big.jpg", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(Jpeg(800, 600), "image/jpeg");
  });
  const std::string thirdParty = "http://localhost:" + std::to_string(other.Port()) + "/big.jpg";
  EXPECT_EQ(Read({thirdParty, mServer.Url("/moved.jpg")}),
            (Sizes{PictureDimensions{800, 600}, std::nullopt}));
  ASSERT_EQ(other.Requests().size(), 1u);
  EXPECT_FALSE(other.Requests()[0].Headers.contains("Authorization"));

  mSettings.Advanced.FollowRedirects = true;
  EXPECT_EQ(Read({mServer.Url("/moved.jpg")}), (Sizes{PictureDimensions{800, 600}}));
  for (const SeenRequest& request : mServer.Requests()) {
    EXPECT_EQ(httplib::detail::get_header_value(request.Headers, "Authorization", 0, ""),
              "Basic dXNlcjpzZWNyZXQ="s);
  }
}

struct ProbeSessionCase {
  const char* Name;
  bool BrowserSession;
  PictureEntry Row;  // its size read from the picture, or the markup's when it could not be
  std::string Cookie;
  bool PageAsReferer;
  std::string AgentStart;
};
void PrintTo(const ProbeSessionCase& c, std::ostream* os) { *os << c.Name; }

class ProbeSessionTest : public HeaderSizeProbeTest,
                         public testing::WithParamInterface<ProbeSessionCase> {};

// A picture behind a logon cookie and a hotlink check, found on a page of the site: the probe
// asks as the download would, with the option on and (as before) with it off.
TEST_P(ProbeSessionTest, CarriesTheBrowsersSessionOnlyWithTheOption) {
  const std::string page = mServer.Url("/gallery.html");
  mServer.Http().Get("/members/big.jpg",
                     [page](const httplib::Request& request, httplib::Response& response) {
                       if (request.get_header_value("Cookie") == "login=yes" &&
                           request.get_header_value("Referer") == page) {
                         response.set_content(Jpeg(800, 600), "image/jpeg");
                       } else {
                         response.status = 403;
                         response.set_content("log on first", "text/plain");
                       }
                     });
  FakeSession session;
  session.Jar.Add({"login", "yes", "127.0.0.1", true, "/members"});
  session.Jar.Add({"other", "site", "elsewhere.invalid", false});
  mSettings.Advanced.BrowserSession = GetParam().BrowserSession;
  HeaderSizeProbe probe(mSettings, mTask, ShortProbeLimits());
  probe.SetBrowserSession(&session);
  Harvest harvest(probe);
  const std::string address = mServer.Url("/members/big.jpg");
  harvest.Page({{}, {{address, 300, 300}}}, page);

  PictureEntry expected = GetParam().Row;
  expected.Link = address;
  expected.Page = page;
  EXPECT_EQ(harvest.Rows(), std::vector<PictureEntry>{expected});
  const std::vector<SeenRequest> requests = mServer.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const httplib::Headers& headers = requests[0].Headers;
  EXPECT_EQ(httplib::detail::get_header_value(headers, "Cookie", 0, ""), GetParam().Cookie);
  EXPECT_EQ(httplib::detail::get_header_value(headers, "Referer", 0, ""),
            GetParam().PageAsReferer ? page : "");
  EXPECT_TRUE(std::string(httplib::detail::get_header_value(headers, "User-Agent", 0, ""))
                  .starts_with(GetParam().AgentStart));
}

INSTANTIATE_TEST_SUITE_P(
    Option, ProbeSessionTest,
    testing::Values(
        ProbeSessionCase{
            "On", true, {"big.jpg", "", "800", "600"}, "login=yes", true, kBrowserAgent},
        ProbeSessionCase{
            "Off", false, {"big.jpg", "", "300", "300"}, "", false, "Vexilo libcurl/"}));

TEST_F(HeaderSizeProbeTest, GoesThroughTheDownloadsProxy) {
  mSettings.ProxyServer = "127.0.0.1";
  mSettings.ProxyPort = std::to_string(mServer.Port());
  Read({"http://pictures.invalid/big.jpg"});
  const std::vector<SeenRequest> requests = mServer.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Path, "http://pictures.invalid/big.jpg");
}

TEST_F(HeaderSizeProbeTest, StopEndsTheWaitAtOnce) {
  ProbeLimits limits = ShortProbeLimits();
  // Only the stop can end this: a probe that missed it would hold the test past its time-out.
  limits.TotalTime = std::chrono::hours(1);
  {
    HeaderSizeProbe probe(mSettings, mTask, limits);
    int waits = 0;
    const Sizes sizes =
        probe.ReadSizes({mServer.Url("/stall"), mServer.Url("/big.jpg")}, kPage, [&] {
          if (++waits < 3) return Pump();
          return false;
        });
    EXPECT_EQ(sizes, Sizes(2));
  }
}

}  // namespace
}  // namespace test
}  // namespace vexilo
