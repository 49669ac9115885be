#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ostream>
#include <thread>

#include "support/FetchOnce.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

extern char** environ;

namespace vexilo::test {
namespace {

struct ProxyCase {
  const char* Server;
  const char* Port;
  std::optional<ProxyAddress> Expected;
};

void PrintTo(const ProxyCase& row, std::ostream* out) {
  *out << "server \"" << row.Server << "\", port \"" << row.Port << "\"";
}

class ProxyForTest : public testing::TestWithParam<ProxyCase> {};

TEST_P(ProxyForTest, UsesAProxyOnlyWithHostAndPort) {
  EXPECT_EQ(ProxyFor(GetParam().Server, GetParam().Port), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Settings, ProxyForTest,
                         testing::Values(ProxyCase{"", "", std::nullopt},
                                         ProxyCase{"proxy", "", std::nullopt},
                                         ProxyCase{"", "8080", std::nullopt},
                                         ProxyCase{"proxy", "8080", ProxyAddress{"proxy", 8080}},
                                         ProxyCase{"proxy", "abc", ProxyAddress{"proxy", 80}},
                                         ProxyCase{"proxy", "0", ProxyAddress{"proxy", 80}},
                                         ProxyCase{"proxy", "70000", ProxyAddress{"proxy", 80}}));

bool Accepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool connected =
      fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  if (fd >= 0) ::close(fd);
  return connected;
}

// A real tinyproxy on a loopback port, logging every request line.
class TinyProxy {
 public:
  explicit TinyProxy(const TempDir& folder) : mPort(UnusedPort()), mLog(folder / "tinyproxy.log") {
    const std::filesystem::path config = folder / "tinyproxy.conf";
    WriteFileBytes(config, "Port " + std::to_string(mPort) +
                               "\nListen 127.0.0.1\nTimeout 30\nLogFile \"" + mLog.string() +
                               "\"\nLogLevel Info\nMaxClients 10\nAllow 127.0.0.1\n");
    std::string configArg = config.string();
    char program[] = "tinyproxy";
    char foreground[] = "-d";
    char configFlag[] = "-c";
    char* argv[] = {program, foreground, configFlag, configArg.data(), nullptr};
    if (::posix_spawnp(&mPid, "tinyproxy", nullptr, nullptr, argv, environ) != 0) mPid = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (mPid > 0 && !Accepts(mPort) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~TinyProxy() {
    if (mPid <= 0) return;
    ::kill(mPid, SIGTERM);
    // A SIGTERM that lands just before tinyproxy enters poll() leaves it waiting for a
    // connection that never comes; it is then killed.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (::waitpid(mPid, nullptr, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() >= deadline) {
        ::kill(mPid, SIGKILL);
        ::waitpid(mPid, nullptr, 0);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  TinyProxy(const TinyProxy&) = delete;
  TinyProxy& operator=(const TinyProxy&) = delete;

  bool Running() const { return mPid > 0 && Accepts(mPort); }
  int Port() const { return mPort; }
  std::string Log() const { return ReadFileBytes(mLog); }

 private:
  int mPort;
  std::filesystem::path mLog;
  pid_t mPid = -1;
};

class ProxyDownloadTest : public testing::Test {
 protected:
  void SetUp() override {
    mServer.Http().Get("/picture.jpg", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("jpeg bytes", "image/jpeg");
    });
    ASSERT_TRUE(mProxy.Running());
  }

  DownloadRequest Request() const {
    DownloadRequest request;
    request.Url = mServer.Url("/picture.jpg");
    request.SavePath = (mFolder / "picture.jpg").string();
    return request;
  }
  bool Fetch(const DownloadRequest& request) {
    const std::atomic<bool> abort{false};
    return FetchOnce(request, TransferLimits{}, abort).Ok;
  }
  bool OriginSawTheProxy() {
    const std::vector<SeenRequest> seen = mServer.Requests();
    if (seen.size() != 1) return false;
    const auto via = seen[0].Headers.find("Via");
    return via != seen[0].Headers.end() && via->second.find("tinyproxy") != std::string::npos;
  }

  TempDir mFolder;
  LoopbackServer mServer;
  TinyProxy mProxy{mFolder};
};

TEST_F(ProxyDownloadTest, GoesThroughTheProxyWithTheAbsoluteAddress) {
  DownloadRequest request = Request();
  request.ProxyServer = "127.0.0.1";
  request.ProxyPort = std::to_string(mProxy.Port());

  EXPECT_TRUE(Fetch(request));

  EXPECT_EQ(ReadFileBytes(request.SavePath), "jpeg bytes");
  EXPECT_TRUE(OriginSawTheProxy());
  EXPECT_NE(mProxy.Log().find("GET " + request.Url + " HTTP/1.1"), std::string::npos)
      << mProxy.Log();
}

TEST_F(ProxyDownloadTest, ProxyHostWithoutPortGoesDirect) {
  DownloadRequest request = Request();
  request.ProxyServer = "127.0.0.1";

  EXPECT_TRUE(Fetch(request));

  ASSERT_EQ(mServer.Requests().size(), 1u);
  EXPECT_FALSE(OriginSawTheProxy());
}

TEST_F(ProxyDownloadTest, IgnoresTheProxyOfTheEnvironment) {
  ::setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(mProxy.Port())).c_str(), 1);
  const bool fetched = Fetch(Request());
  ::unsetenv("http_proxy");

  EXPECT_TRUE(fetched);
  ASSERT_EQ(mServer.Requests().size(), 1u);
  EXPECT_FALSE(OriginSawTheProxy());
}

}  // namespace
}  // namespace vexilo::test
