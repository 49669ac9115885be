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
    HeaderSizeProbe probe(mSettings, limits);
    return probe.ReadSizes(addresses, &Pump);
  }

  AppSettings mSettings;
  LoopbackServer mServer;
};

struct AnswerCase {
  const char* Name;
  std::string Path;  // on the test server; a full address when it has a scheme
  std::optional<PictureDimensions> Expected;
};
void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.Name; }

class ProbeAnswerTest : public HeaderSizeProbeTest,
                        public testing::WithParamInterface<AnswerCase> {};

TEST_P(ProbeAnswerTest, ReadsTheSizeOrLeavesItUnknown) {
  const std::string& path = GetParam().Path;
  const std::string address = path.starts_with("http") ? path : mServer.Url(path);
  EXPECT_EQ(Read({address}), Sizes{GetParam().Expected});
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ProbeAnswerTest,
    testing::Values(AnswerCase{"Picture", "/big.jpg", PictureDimensions{800, 600}},
                    AnswerCase{"NotFound", "/missing.jpg", std::nullopt},
                    AnswerCase{"NotAPicture", "/page.jpg", std::nullopt},
                    AnswerCase{"RedirectNotFollowed", "/moved.jpg", std::nullopt},
                    AnswerCase{"NeverAnswers", "/stall", std::nullopt},
                    AnswerCase{"DeadHost", "http://no-such-host.invalid/p.jpg", std::nullopt}));

// A server that ignores Range sends the whole picture: no more than the first 64 KB is read.
struct IgnoredRangeCase {
  const char* Name;
  std::string Response;
  std::optional<PictureDimensions> Expected;
};
void PrintTo(const IgnoredRangeCase& c, std::ostream* os) { *os << c.Name; }

class IgnoredRangeTest : public testing::TestWithParam<IgnoredRangeCase> {};

TEST_P(IgnoredRangeTest, ReadsNoFurtherThanTheFirst64KB) {
  RawServer server(GetParam().Response);
  AppSettings settings;
  HeaderSizeProbe probe(settings, ShortLimits());
  EXPECT_EQ(probe.ReadSizes({server.Url("/p.jpg")}, &Pump), Sizes{GetParam().Expected});
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, IgnoredRangeTest,
    testing::Values(
        IgnoredRangeCase{"FrameWithin", Answer("200 OK", "", Jpeg(300, 200, 65000, 200000)),
                         PictureDimensions{300, 200}},
        IgnoredRangeCase{"FrameBeyond", Answer("200 OK", "", Jpeg(300, 200, 70000, 200000)),
                         std::nullopt},
        // A part that does not start at the first byte is not a header.
        IgnoredRangeCase{"PartFromTheMiddle",
                         Answer("206 Partial Content", "Content-Range: bytes 10-65545/200000\r\n",
                                Jpeg(300, 200)),
                         std::nullopt}));

TEST_F(HeaderSizeProbeTest, AsksOnceForTheFirst64KBOfEachPicture) {
  std::vector<std::string> addresses;
  for (int i = 0; i < 20; ++i) addresses.push_back(mServer.Url("/big.jpg?" + std::to_string(i)));
  addresses.push_back(mServer.Url("/small.jpg"));
  // The test server's listen backlog is small: a connection it drops is retried after a
  // second, which the short limits would not wait for.
  const Sizes sizes = Read(addresses, ProbeLimits{});
  ASSERT_EQ(sizes.size(), addresses.size());
  for (int i = 0; i < 20; ++i) EXPECT_EQ(sizes[i], (PictureDimensions{800, 600})) << i;
  EXPECT_EQ(sizes.back(), (PictureDimensions{16, 16}));
  const std::vector<SeenRequest> requests = mServer.Requests();
  EXPECT_EQ(requests.size(), addresses.size());
  for (const SeenRequest& request : requests) {
    auto range = request.Headers.find("Range");
    ASSERT_NE(range, request.Headers.end());
    EXPECT_EQ(range->second, "bytes=0-65535");
  }
}

TEST_F(HeaderSizeProbeTest, SendsTheDownloadsCredentials) {
  mSettings.AuthName = "user";
  mSettings.AuthPass = "secret";
  Read({mServer.Url("/big.jpg")});
  const std::vector<SeenRequest> requests = mServer.Requests();
  ASSERT_EQ(requests.size(), 1u);
  auto authorization = requests[0].Headers.find("Authorization");
  ASSERT_NE(authorization, requests[0].Headers.end());
  EXPECT_EQ(authorization->second, "Basic dXNlcjpzZWNyZXQ=");
}

TEST_F(HeaderSizeProbeTest, StopEndsTheWaitAtOnce) {
  ProbeLimits limits = ShortLimits();
  limits.TotalTime = milliseconds(60000);  // only the stop can end this in time
  const auto start = std::chrono::steady_clock::now();
  {
    HeaderSizeProbe probe(mSettings, limits);
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

// The page a crawl reads, whose markup claims sizes its pictures do not have.
TEST_F(HeaderSizeProbeTest, HarvestKeepsTheLargePictureAndDropsTheSmallOne) {
  for (const bool option : {false, true}) {
    SCOPED_TRACE(option ? "option on" : "option off");
    TempDir folder;
    TaskRecord task;
    task.MinWidth = 200;
    task.MinHeight = 150;
    AdvancedSettings options;
    options.RealSizeFilter = option;
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
    HeaderSizeProbe probe(mSettings, ShortLimits());
    PictureHarvester harvester(task, indexes, rows, flags, hooks, options, &probe, &Pump);
    harvester.StartCrawl(folder.Path().string());
    const std::string big = mServer.Url("/big.jpg");
    const std::string small = mServer.Url("/small.jpg");
    harvester.HarvestPictures(PageDocument{{}, {{big, 16, 16}, {small, 300, 300}}});
    if (option) {
      EXPECT_EQ(QueuedUrls(state), std::vector<std::string>{big});
      EXPECT_EQ(rows, (std::vector<PictureEntry>{{"big.jpg", big, "800", "600"}}));
    } else {
      EXPECT_EQ(QueuedUrls(state), std::vector<std::string>{small});
      EXPECT_EQ(mServer.Requests().size(), 0u);
    }
  }
}

}  // namespace
}  // namespace test
}  // namespace vexilo
