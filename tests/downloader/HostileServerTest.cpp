#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <thread>

#include "support/FakeClock.h"
#include "support/FetchOnce.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace vexilo::test {
namespace {

using WallClock = std::chrono::steady_clock;  // for the figures only
using std::chrono::milliseconds;

const std::string kPicture(50000, 'p');
constexpr std::uint64_t kTrickleBytes = 20 * 200;  // 40 s of the clock: never reached here
constexpr std::uint64_t kShortCap = 1 << 20;

// Every limit near a second, so that each case ends in a second or two; the rate floor
// measures against clock.
TransferLimits ShortLimits(const Clock& clock) {
  TransferLimits limits;
  limits.Time = &clock;
  limits.ConnectTimeout = milliseconds(1000);
  limits.StallTime = std::chrono::seconds(1);
  limits.MaxBodyBytes = kShortCap;
  limits.MinAverageRate = 1024;
  limits.RateWindow = milliseconds(1000);
  limits.TotalTime = milliseconds(2000);
  return limits;
}

struct Outcome {
  bool Downloaded = false;
  std::string Reason;
  WallClock::duration Took{};
  bool FileLeft = false;
  std::uintmax_t BytesLeft = 0;
};

// Sends bytes bytes in pieces of piece bytes, one every pause, while the client reads.
bool SendSlowly(httplib::Response& response, std::size_t piece, milliseconds pause,
                std::uint64_t bytes) {
  response.set_chunked_content_provider("image/jpeg", [=](size_t offset, httplib::DataSink& sink) {
    if (offset >= bytes) {
      sink.done();
      return true;
    }
    std::this_thread::sleep_for(pause);
    const std::string block(piece, 't');
    return sink.write(block.data(), block.size());
  });
  return true;
}

class HostileServerTest : public testing::Test {
 protected:
  void SetUp() override {
    httplib::Server& http = mServer.Http();
    http.Get("/picture.jpg", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(kPicture, "image/jpeg");
    });
    // 20 bytes a piece while the transfer's clock moves on 200 ms: 100 B/s, whatever the
    // machine's load.
    http.Get("/trickle", [this](const httplib::Request&, httplib::Response& response) {
      response.set_chunked_content_provider("image/jpeg",
                                            [this](size_t offset, httplib::DataSink& sink) {
                                              if (offset >= kTrickleBytes) {
                                                sink.done();
                                                return true;
                                              }
                                              mClock.Advance(milliseconds(200));
                                              std::this_thread::sleep_for(milliseconds(10));
                                              const std::string block(20, 't');
                                              return sink.write(block.data(), block.size());
                                            });
    });
    // 40 KB/s, well above the rate floor, for ever.
    http.Get("/steady", [](const httplib::Request&, httplib::Response& response) {
      SendSlowly(response, 4096, milliseconds(100), UINT64_MAX);
    });
    http.Get("/endless", [](const httplib::Request&, httplib::Response& response) {
      response.set_chunked_content_provider("image/jpeg", [](size_t, httplib::DataSink& sink) {
        const std::string block(64 * 1024, 'e');
        return sink.write(block.data(), block.size());
      });
    });
  }

  DownloadRequest Request(const std::string& url, const std::string& name = "picture.jpg") const {
    DownloadRequest request;
    request.Url = url;
    request.SavePath = (mFolder / name).string();
    return request;
  }

  // The worker frees its slot as soon as a failed fetch returns.
  Outcome Fetch(const std::string& url) { return Fetch(url, ShortLimits(mClock)); }
  Outcome Fetch(const std::string& url, const TransferLimits& limits) {
    const DownloadRequest request = Request(url);
    Outcome outcome;
    const WallClock::time_point start = WallClock::now();
    const FetchOutcome fetched = FetchOnce(request, limits, mAbort);
    outcome.Downloaded = fetched.Ok;
    outcome.Reason = fetched.Reason;
    outcome.Took = WallClock::now() - start;
    std::error_code ec;
    outcome.FileLeft = std::filesystem::exists(request.SavePath, ec);
    if (outcome.FileLeft) outcome.BytesLeft = std::filesystem::file_size(request.SavePath, ec);
    // Figures for the report, in the XML output.
    RecordProperty("slot_free_ms",
                   std::to_string(std::chrono::duration_cast<milliseconds>(outcome.Took).count()));
    RecordProperty("bytes_left", outcome.FileLeft ? std::to_string(outcome.BytesLeft) : "deleted");
    return outcome;
  }

  FakeClock mClock;
  TempDir mFolder;
  LoopbackServer mServer;
  std::atomic<bool> mAbort{false};
};

// A transfer cut short leaves nothing under the picture's name: no cut picture shown as done.
TEST_F(HostileServerTest, StalledServerFreesTheSlotAndLeavesNoFile) {
  const Outcome outcome = Fetch(mServer.Url("/stall"));

  EXPECT_FALSE(outcome.Downloaded);
  EXPECT_EQ(outcome.Reason, "timed out");
  EXPECT_FALSE(outcome.FileLeft);
}

TEST_F(HostileServerTest, TrickleBelowTheRateFloorIsEndedAndLeavesNoFile) {
  const Outcome outcome = Fetch(mServer.Url("/trickle"));

  EXPECT_FALSE(outcome.Downloaded);
  EXPECT_EQ(outcome.Reason, "timed out");
  EXPECT_FALSE(outcome.FileLeft);
  EXPECT_TRUE(std::filesystem::is_empty(mFolder.Path())) << "the partial file goes too";
}

TEST_F(HostileServerTest, SteadyEndlessBodyIsEndedByTheCeilingAndLeavesNoFile) {
  const Outcome outcome = Fetch(mServer.Url("/steady"));

  EXPECT_FALSE(outcome.Downloaded);
  EXPECT_EQ(outcome.Reason, "timed out");
  EXPECT_FALSE(outcome.FileLeft);
}

TEST_F(HostileServerTest, FastEndlessBodyIsCutAtTheCapAndDeleted) {
  const Outcome outcome = Fetch(mServer.Url("/endless"));

  EXPECT_FALSE(outcome.Downloaded);
  EXPECT_EQ(outcome.Reason, "too large");
  EXPECT_FALSE(outcome.FileLeft);
}

TEST_F(HostileServerTest, HugeAnnouncedLengthIsRefusedAndDeleted) {
  RawServer raw("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999\r\n\r\nstart of a huge body");

  const Outcome outcome = Fetch(raw.Url("/huge.jpg"), TransferLimits{});

  EXPECT_FALSE(outcome.Downloaded);
  EXPECT_EQ(outcome.Reason, "too large");
  EXPECT_FALSE(outcome.FileLeft);
}

// An idle transfer is the slowest to notice Stop: libcurl looks at it about once a second.
TEST_F(HostileServerTest, StopEndsAStalledTransferWithinAboutASecondUnderTheDefaultLimits) {
  WallClock::time_point stopped;
  std::thread stop([&] {
    mServer.WaitForRequests(1);
    stopped = WallClock::now();
    mAbort.store(true);
  });
  const Outcome outcome = Fetch(mServer.Url("/stall"), TransferLimits{});
  const WallClock::time_point returned = WallClock::now();
  stop.join();
  RecordProperty(
      "after_stop_ms",
      std::to_string(std::chrono::duration_cast<milliseconds>(returned - stopped).count()));

  EXPECT_FALSE(outcome.Downloaded);
  EXPECT_EQ(outcome.Reason, "stopped");
  EXPECT_EQ(outcome.BytesLeft, 0u);
}

struct MalformedCase {
  const char* Name;
  const char* Response;
};

void PrintTo(const MalformedCase& row, std::ostream* out) { *out << row.Name; }

class MalformedResponseTest : public HostileServerTest,
                              public testing::WithParamInterface<MalformedCase> {};

// Whatever libcurl makes of the garbage, the list says the server is at fault.
TEST_P(MalformedResponseTest, FailsAtOnceAsABadResponseWithAnEmptyFile) {
  RawServer raw(GetParam().Response);

  const Outcome outcome = Fetch(raw.Url("/picture.jpg"));

  EXPECT_FALSE(outcome.Downloaded);
  EXPECT_EQ(outcome.Reason, "bad response from the server");
  EXPECT_EQ(outcome.BytesLeft, 0u);
}

const std::string kLongHeader = "HTTP/1.1 200 OK\r\nX-Filler: " + std::string(400 * 1024, 'h') +
                                "\r\nContent-Length: 4\r\n\r\nbody";

INSTANTIATE_TEST_SUITE_P(
    Responses, MalformedResponseTest,
    testing::Values(
        MalformedCase{"NoStatusLine", "GIF89a not http at all\r\n\r\nbody"},
        MalformedCase{"Http09", "body without any head"},
        MalformedCase{"StatusNotANumber", "HTTP/1.1 2x0 OK\r\n\r\nbody"},
        MalformedCase{"GarbageStatusLine", "HTTP/1.1 \x01\x02\xff\r\n\r\nbody"},
        MalformedCase{"LengthNotANumber", "HTTP/1.1 200 OK\r\nContent-Length: lots\r\n\r\nbody"},
        MalformedCase{"HeaderWithoutColon",
                      "HTTP/1.1 200 OK\r\nContent-Length 4\r\nno colon here\r\n\r\nbody"},
        MalformedCase{"HeaderPastAnyLimit", kLongHeader.c_str()},
        MalformedCase{
            "BadChunkSize",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nbody\r\n0\r\n\r\n"}),
    [](const testing::TestParamInfo<MalformedCase>& row) { return row.param.Name; });

// Bytes past the announced length are not the picture's: the announced ones are kept.
TEST_F(HostileServerTest, BodyPastItsContentLengthKeepsTheAnnouncedBytes) {
  RawServer raw("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nbody and much more");

  const Outcome outcome = Fetch(raw.Url("/picture.jpg"));

  EXPECT_TRUE(outcome.Downloaded) << outcome.Reason;
  EXPECT_EQ(outcome.BytesLeft, 4u);
}

// Only an address of another scheme is an unsupported address, whoever gave it.
TEST_F(HostileServerTest, AnotherSchemeIsAnUnsupportedAddress) {
  RawServer raw(
      "HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/picture.jpg\r\n"
      "Content-Length: 0\r\n\r\n");
  DownloadRequest redirected = Request(raw.Url("/picture.jpg"));
  redirected.FollowRedirects = true;
  for (const DownloadRequest& request :
       {Request("ftp://127.0.0.1/picture.jpg"), Request("javascript:alert(1)"), redirected}) {
    SCOPED_TRACE(request.Url);
    const FetchOutcome fetched = FetchOnce(request, ShortLimits(mClock), mAbort);
    EXPECT_FALSE(fetched.Ok);
    EXPECT_EQ(fetched.Reason, "unsupported address");
  }
}

}  // namespace
}  // namespace vexilo::test
