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
#include "support/LoopbackServer.h"
#include "support/QueueLists.h"
#include "support/TempDir.h"

namespace vexilo {

void PrintTo(const PictureDimensions& size, std::ostream* os) {
  *os << size.Width << " x " << size.Height;
}

namespace test {
namespace {

using namespace std::string_literals;
using std::chrono::milliseconds;
using Sizes = std::vector<std::optional<PictureDimensions>>;

// Every limit near a second, so that a server that never answers costs a second.
ProbeLimits ShortLimits() {
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

  Sizes Read(const std::vector<std::string>& addresses, ProbeLimits limits = ShortLimits()) {
    HeaderSizeProbe probe(mSettings, mTask, limits);
    return probe.ReadSizes(addresses, &Pump);
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
    testing::Values(AnswerCase{"Picture", "/big.jpg", PictureDimensions{800, 600}},
                    AnswerCase{"NotFound", "/missing.jpg", std::nullopt},
                    AnswerCase{"NotAPicture", "/page.jpg", std::nullopt},
                    AnswerCase{"RedirectNotFollowed", "/moved.jpg", std::nullopt},
                    AnswerCase{"NeverAnswers", "/stall", std::nullopt},
                    AnswerCase{"DeadHost", "http://no-such-host.invalid/p.jpg", std::nullopt},
                    // Whole pictures: no more than the first 64 KB is read.
                    AnswerCase{"FrameWithin64KB", "/p.jpg", PictureDimensions{300, 200},
                               Answer("200 OK", "", Jpeg(300, 200, 65000, 200000))},
                    AnswerCase{"FrameBeyond64KB", "/p.jpg", std::nullopt,
                               Answer("200 OK", "", Jpeg(300, 200, 70000, 200000))},
                    // A part that does not start at the first byte is not a header.
                    AnswerCase{
                        "PartFromTheMiddle", "/p.jpg", std::nullopt,
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
  TempDir folder;
  TaskRecord task;
  task.MinWidth = 200;
  task.MinHeight = 150;
  AdvancedSettings options;
  options.RealSizeFilter = true;
  CrawlState state;
  CrawlIndexes indexes(state);
  std::vector<PictureEntry> rows;
  RunFlags flags;
  struct : CrawlHooks {
    void StartDownloads() override {}
    void PictureListReset() override {}
    void PictureRowAdded(const PictureEntry&) override {}
    void SetGridVisible(bool) override {}
  } hooks;
  // The test server's listen backlog is small: a connection it drops is retried after a
  // second, which short limits would not wait for.
  HeaderSizeProbe probe(mSettings, mTask);
  PictureHarvester harvester(task, indexes, rows, flags, hooks, options, &probe, &Pump);
  harvester.StartCrawl(folder.Path().string());
  harvester.HarvestPictures(page);
  EXPECT_EQ(QueuedUrls(state), big);
  EXPECT_EQ(rows.front(), (PictureEntry{"big.jpg?0", big[0], "800", "600"}));
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

TEST_F(HeaderSizeProbeTest, GoesThroughTheDownloadsProxy) {
  mSettings.ProxyServer = "127.0.0.1";
  mSettings.ProxyPort = std::to_string(mServer.Port());
  Read({"http://pictures.invalid/big.jpg"});
  const std::vector<SeenRequest> requests = mServer.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Path, "http://pictures.invalid/big.jpg");
}

TEST_F(HeaderSizeProbeTest, StopEndsTheWaitAtOnce) {
  ProbeLimits limits = ShortLimits();
  limits.TotalTime = milliseconds(60000);  // only the stop can end this in time
  const auto start = std::chrono::steady_clock::now();
  {
    HeaderSizeProbe probe(mSettings, mTask, limits);
    int waits = 0;
    const Sizes sizes = probe.ReadSizes({mServer.Url("/stall"), mServer.Url("/big.jpg")}, [&] {
      if (++waits < 3) return Pump();
      return false;
    });
    EXPECT_EQ(sizes, Sizes(2));
  }
  // The transfers it left behind end with it; generous, since the limit would take a minute.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
}  // namespace test
}  // namespace vexilo
