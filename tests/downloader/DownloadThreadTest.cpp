#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <optional>
#include <ostream>
#include <thread>

#include "downloader/DownloadPool.h"
#include "downloader/PictureOrigin.h"
#include "pictures/PictureError.h"
#include "support/FakeClock.h"
#include "support/FakeSeams.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "support/UntrustedHttpsServer.h"

namespace vexilo::test {
namespace {

struct WorkerOutcome {
  std::vector<std::string> Appended;
  std::vector<Bitmap24> Thumbnails;     // handed to the main thread with Appended
  std::vector<std::thread::id> MadeOn;  // the threads the thumbnails were made on
  std::vector<DownloadResult> Results;  // reported on the main thread
  bool SlotFreed = false;
};

constexpr std::uint64_t kSmallCap = 200 * 1024;

std::string BigBody() {
  std::string body(300000, '\0');
  unsigned value = 7;
  for (char& byte : body) {
    value = value * 1103515245u + 12345u;
    byte = static_cast<char>(value >> 16);
  }
  return body;
}

class DownloadThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    httplib::Server& http = mServer.Http();
    http.Get("/length", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(BigBody(), "image/jpeg");
    });
    http.Get("/chunked", [](const httplib::Request&, httplib::Response& response) {
      response.set_chunked_content_provider("image/gif",
                                            [](size_t offset, httplib::DataSink& sink) {
                                              if (offset == 0) return sink.write("first-", 6);
                                              if (offset == 6) return sink.write("second", 6);
                                              sink.done();
                                              return true;
                                            });
    });
    // Far more than the size cap the tests set, sent as fast as it is read.
    http.Get("/flood", [](const httplib::Request&, httplib::Response& response) {
      response.set_chunked_content_provider("image/jpeg",
                                            [](size_t offset, httplib::DataSink& sink) {
                                              if (offset >= 4 * kSmallCap) {
                                                sink.done();
                                                return true;
                                              }
                                              const std::string block(64 * 1024, 'x');
                                              return sink.write(block.data(), block.size());
                                            });
    });
    http.Get("/missing", [](const httplib::Request&, httplib::Response& response) {
      response.status = 404;
      response.set_content("<h1>Not Found</h1>", "text/html");
    });
    http.Get("/moved", [](const httplib::Request&, httplib::Response& response) {
      response.status = 302;
      response.set_header("Location", "/length");
      response.set_content("moved to /length", "text/html");
    });
    http.Get("/created", [](const httplib::Request&, httplib::Response& response) {
      response.status = 201;
      response.set_header("Location", "/length");
      response.set_content("made elsewhere", "text/plain");
    });
    http.Get("/broken", [](const httplib::Request&, httplib::Response& response) {
      response.status = 500;
      response.set_content("server error", "text/plain");
    });
    http.Get("/auth", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("guarded", "image/jpeg");
    });
  }

  // One download, run until its report.
  WorkerOutcome Run(DownloadRequest request, TransferLimits limits = {}) {
    std::vector<DownloadRequest> requests;
    requests.push_back(std::move(request));
    return RunAll(std::move(requests), limits);
  }

  // Downloads started together, run until all have reported. The pool is the fixture's, kept
  // from one call to the next as the scheduler keeps its own; limits count from the first.
  WorkerOutcome RunAll(std::vector<DownloadRequest> requests, TransferLimits limits = {}) {
    if (!mPool) {
      PictureHooks pictures{[this](const std::string& path) {
                              {
                                std::lock_guard lock(mOutcomeLock);
                                mOutcome.MadeOn.push_back(std::this_thread::get_id());
                              }
                              return mThumbnailOf(path);
                            },
                            [this](const std::string& path, const Bitmap24& thumbnail) {
                              mOutcome.Appended.push_back(path);
                              mOutcome.Thumbnails.push_back(thumbnail);
                            },
                            nullptr, nullptr, nullptr};
      mPool = std::make_unique<DownloadPool>(
          mMainThread, limits,
          PoolLinks{std::move(pictures), nullptr,
                    [this](std::uint64_t, const DownloadResult& result) {
                      mOutcome.Results.push_back(result);
                    },
                    [this] { mOutcome.SlotFreed = true; }});
    }
    mOutcome = {};
    const std::size_t count = requests.size();
    mPool->SetMostRunning(static_cast<int>(count));
    for (std::size_t i = 0; i < count; ++i) mPool->Offer(i, std::move(requests[i]));
    EXPECT_TRUE(mMainThread.RunUntil([&] { return mOutcome.Results.size() == count; }));
    std::lock_guard lock(mOutcomeLock);
    return mOutcome;
  }

  DownloadRequest Request(const std::string& route) const {
    DownloadRequest request;
    request.Url = mServer.Url(route);
    request.SavePath = (mFolder / "picture.jpg").string();
    return request;
  }

  // The bodies served here are no pictures: by default every saved file counts as one.
  std::function<std::optional<Bitmap24>(const std::string&)> mThumbnailOf = [](const std::string&) {
    return std::optional<Bitmap24>(Bitmap24(1, 1));
  };
  TempDir mFolder;
  LoopbackServer mServer;
  FakeMainThread mMainThread;
  std::mutex mOutcomeLock;  // MadeOn is written on the pool's threads
  WorkerOutcome mOutcome;
  std::unique_ptr<DownloadPool> mPool;  // goes first, so that the server sees its connections close
};

struct ResponseCase {
  const char* Route;
  std::string Body;  // what the file must hold afterwards
  bool Appended;
  std::string Reason;  // the failure reported, "" for a success
  bool Transient = false;
};

void PrintTo(const ResponseCase& row, std::ostream* out) { *out << row.Route; }

class DownloadResponseTest : public DownloadThreadTest,
                             public testing::WithParamInterface<ResponseCase> {};

TEST_P(DownloadResponseTest, KeepsTheBodyAndAppendsOnlyAPlainSuccess) {
  const ResponseCase& row = GetParam();
  const DownloadRequest request = Request(row.Route);

  const WorkerOutcome outcome = Run(request);

  EXPECT_EQ(ReadFileBytes(request.SavePath), row.Body);
  EXPECT_EQ(outcome.Appended,
            row.Appended ? std::vector<std::string>{request.SavePath} : std::vector<std::string>{});
  EXPECT_TRUE(outcome.SlotFreed);
  ASSERT_EQ(outcome.Results.size(), 1u) << "every download reports how it ended";
  EXPECT_EQ(outcome.Results[0].Fetch.Ok, row.Reason.empty());
  EXPECT_EQ(outcome.Results[0].Fetch.Reason, row.Reason);
  EXPECT_EQ(outcome.Results[0].Fetch.Transient, row.Transient);
}

INSTANTIATE_TEST_SUITE_P(
    Responses, DownloadResponseTest,
    testing::Values(ResponseCase{"/length", BigBody(), true, ""},
                    ResponseCase{"/chunked", "first-second", true, ""},
                    ResponseCase{"/missing", "<h1>Not Found</h1>", false, "404 Not Found"},
                    ResponseCase{"/moved", "moved to /length", false, "302 Found"},
                    ResponseCase{"/created", "made elsewhere", false, "redirected"},
                    ResponseCase{"/broken", "server error", false, "500 Internal Server Error",
                                 true}));

TEST_F(DownloadThreadTest, TheWorkerMakesTheThumbnailAndTheMainThreadOnlyAddsIt) {
  Bitmap24 thumbnail(80, 80);
  thumbnail.Fill(0x123456);
  mThumbnailOf = [&](const std::string&) { return std::optional<Bitmap24>(thumbnail); };
  const DownloadRequest request = Request("/chunked");

  const WorkerOutcome outcome = Run(request);

  ASSERT_EQ(outcome.MadeOn.size(), 1u);
  EXPECT_NE(outcome.MadeOn[0], std::this_thread::get_id());
  EXPECT_EQ(outcome.Appended, std::vector<std::string>{request.SavePath});
  ASSERT_EQ(outcome.Thumbnails.size(), 1u);
  EXPECT_TRUE(outcome.Thumbnails[0] == thumbnail);
}

TEST_F(DownloadThreadTest, APictureThatCannotBeReadIsNotReported) {
  mThumbnailOf = [](const std::string&) { return std::optional<Bitmap24>(); };

  const WorkerOutcome outcome = Run(Request("/chunked"));
  mThumbnailOf = [](const std::string&) -> std::optional<Bitmap24> {
    throw PictureError("decoder failed");
  };
  const WorkerOutcome thrown = Run(Request("/chunked"));

  EXPECT_EQ(outcome.MadeOn.size(), 1u);
  EXPECT_TRUE(outcome.Appended.empty());
  EXPECT_TRUE(outcome.SlotFreed);
  EXPECT_TRUE(thrown.Appended.empty());
  EXPECT_TRUE(thrown.SlotFreed);
}

TEST_F(DownloadThreadTest, BodyWithoutLengthEndsWithTheConnection) {
  RawServer raw(
      "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nConnection: close\r\n\r\n"
      "no length, ends with the connection");
  DownloadRequest request = Request("/");
  request.Url = raw.Url("/picture.png");

  const WorkerOutcome outcome = Run(request);

  EXPECT_EQ(ReadFileBytes(request.SavePath), "no length, ends with the connection");
  EXPECT_EQ(outcome.Appended, std::vector<std::string>{request.SavePath});
}

struct CredentialCase {
  const char* UserName;
  const char* Password;
  const char* Authorization;  // nullptr: no header at all
};

void PrintTo(const CredentialCase& row, std::ostream* out) {
  *out << "user \"" << row.UserName << "\", password \"" << row.Password << "\"";
}

class DownloadCredentialTest : public DownloadThreadTest,
                               public testing::WithParamInterface<CredentialCase> {};

TEST_P(DownloadCredentialTest, SendsBasicAuthorizationOnlyWithAUserName) {
  const CredentialCase& row = GetParam();
  DownloadRequest request = Request("/auth");
  request.UserName = row.UserName;
  request.Password = row.Password;

  Run(request);

  const std::vector<SeenRequest> seen = mServer.Requests();
  ASSERT_EQ(seen.size(), 1u);
  const auto header = seen[0].Headers.find("Authorization");
  if (row.Authorization == nullptr) {
    EXPECT_EQ(header, seen[0].Headers.end());
  } else {
    ASSERT_NE(header, seen[0].Headers.end());
    EXPECT_EQ(header->second, row.Authorization);
  }
}

INSTANTIATE_TEST_SUITE_P(Credentials, DownloadCredentialTest,
                         testing::Values(CredentialCase{"user", "secret", "Basic dXNlcjpzZWNyZXQ="},
                                         CredentialCase{"user", "", "Basic dXNlcjo="},
                                         CredentialCase{"", "secret", nullptr},
                                         CredentialCase{"", "", nullptr}));

TEST_F(DownloadThreadTest, NextPictureFromTheSameServerReusesTheConnection) {
  Run(Request("/chunked"));
  Run(Request("/missing"));

  const std::vector<SeenRequest> seen = mServer.Requests();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].ClientPort, seen[1].ClientPort);
}

// A failed transfer's handle is not reused: one that did not resolve once refused every
// later picture that took it.
TEST_F(DownloadThreadTest, ADeadHostSpoilsNoLaterDownload) {
  std::vector<DownloadRequest> requests;
  requests.push_back(Request("/chunked"));
  requests.back().SavePath = (mFolder / "a.jpg").string();
  requests.push_back(Request("/"));
  requests.back().Url = std::string("http://") + kUnresolvableHost + "/x.jpg";
  requests.back().SavePath = (mFolder / "dead.jpg").string();
  EXPECT_EQ(RunAll(std::move(requests)).Appended.size(), 1u);
  std::vector<DownloadRequest> later;
  for (const char* name : {"b.jpg", "c.jpg", "d.jpg"}) {
    later.push_back(Request("/chunked"));
    later.back().SavePath = (mFolder / name).string();
  }

  const WorkerOutcome outcome = RunAll(std::move(later));

  EXPECT_EQ(outcome.Appended.size(), 3u);
  for (const char* name : {"b.jpg", "c.jpg", "d.jpg"}) {
    EXPECT_EQ(ReadFileBytes(mFolder / name), "first-second") << name;
  }
}

// Offers start in order, no more at a time than allowed, each the moment a transfer ends;
// Withdraw hands back the starts not yet delivered and drops the offers not started.
TEST_F(DownloadThreadTest, OffersStartInOrderAsTransfersEndAndWithdrawTakesBackTheRest) {
  std::vector<std::uint64_t> started;
  std::vector<std::uint64_t> ended;
  DownloadPool pool(mMainThread, {},
                    {{},
                     [&](std::uint64_t id) { started.push_back(id); },
                     [&](std::uint64_t id, const DownloadResult&) { ended.push_back(id); },
                     nullptr});
  pool.SetMostRunning(2);
  for (std::uint64_t gate = 0; gate < 5; ++gate) {
    DownloadRequest request = Request("/gate/" + std::to_string(gate));
    request.SavePath = (mFolder / ("p" + std::to_string(gate))).string();
    pool.Offer(gate, std::move(request));
  }
  ASSERT_TRUE(mMainThread.RunUntil([&] { return started.size() == 2; }));
  EXPECT_EQ(started, (std::vector<std::uint64_t>{0, 1}));
  // Without the main thread: gate 1's place goes to offer 2 on the pool's own threads.
  mServer.OpenGate(1);
  ASSERT_TRUE(mServer.WaitForRequests(3));
  EXPECT_EQ(mServer.Requests().back().Path, "/gate/2");

  EXPECT_EQ(pool.Withdraw(), std::vector<std::uint64_t>{2});
  mServer.OpenAllGates();
  ASSERT_TRUE(mMainThread.RunUntil([&] { return ended.size() == 3; }));
  mMainThread.RunPending();
  EXPECT_EQ(started, (std::vector<std::uint64_t>{0, 1}));
  EXPECT_EQ(mServer.Requests().size(), 3u);
  pool.Shutdown();
}

TEST_F(DownloadThreadTest, SavePathInAFolderThatIsGoneSendsNothingAndFreesTheSlot) {
  DownloadRequest request = Request("/length");
  request.SavePath = (mFolder / "deleted" / "picture.jpg").string();

  const WorkerOutcome outcome = Run(request);

  EXPECT_TRUE(mServer.Requests().empty());
  EXPECT_FALSE(std::filesystem::exists(request.SavePath));
  EXPECT_TRUE(outcome.Appended.empty());
  EXPECT_TRUE(outcome.SlotFreed);
}

TEST_F(DownloadThreadTest, LinkPlantedAtTheSavePathIsNotFollowed) {
  TempDir outside;
  const std::filesystem::path target = outside / "precious.txt";
  WriteFileBytes(target, "keep me");
  const DownloadRequest request = Request("/length");
  std::filesystem::create_symlink(target, request.SavePath);

  const WorkerOutcome outcome = Run(request);

  EXPECT_EQ(ReadFileBytes(target), "keep me");
  EXPECT_TRUE(std::filesystem::is_symlink(request.SavePath));
  EXPECT_TRUE(mServer.Requests().empty());
  EXPECT_TRUE(outcome.Appended.empty());
}

// A body held in memory is written once the transfer has ended; when that write fails (here:
// a file size limit, as a full disk would) the picture already saved there stays as it was.
TEST_F(DownloadThreadTest, ABodyThatCannotBeWrittenLeavesTheOldPictureAndNoPartialFile) {
  const DownloadRequest request = Request("/length");
  WriteFileBytes(request.SavePath, "the picture saved before");
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = before;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

  const WorkerOutcome outcome = Run(request);

  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, oldHandler);
  ASSERT_EQ(outcome.Results.size(), 1u);
  EXPECT_EQ(outcome.Results[0].Fetch.Reason, "could not write the file");
  EXPECT_TRUE(outcome.Appended.empty());
  EXPECT_EQ(ReadFileBytes(request.SavePath), "the picture saved before");
  for (const auto& entry : std::filesystem::directory_iterator(mFolder.Path())) {
    EXPECT_EQ(entry.path().string(), request.SavePath) << "left behind";
  }
}

TEST_F(DownloadThreadTest, RefusedConnectionLeavesNoFile) {
  DownloadRequest request = Request("/length");
  request.Url = "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/picture.jpg";

  const WorkerOutcome outcome = Run(request);

  EXPECT_FALSE(std::filesystem::exists(request.SavePath));
  EXPECT_TRUE(outcome.Appended.empty());
}

TEST_F(DownloadThreadTest, StalledServerIsGivenUp) {
  const DownloadRequest request = Request("/stall");

  const WorkerOutcome outcome =
      Run(request, TransferLimits{std::chrono::milliseconds(1000), std::chrono::seconds(1)});

  EXPECT_EQ(ReadFileBytes(request.SavePath), "");
  EXPECT_TRUE(outcome.Appended.empty());
}

// An announced length past the cap is refused before any byte; a flood is cut at the cap.
class DownloadOversizeTest : public DownloadThreadTest,
                             public testing::WithParamInterface<const char*> {};

TEST_P(DownloadOversizeTest, BodyPastTheSizeCapFailsTheDownloadAndIsDeleted) {
  const DownloadRequest request = Request(GetParam());
  TransferLimits limits;
  limits.MaxBodyBytes = kSmallCap;

  const WorkerOutcome outcome = Run(request, limits);

  EXPECT_FALSE(std::filesystem::exists(request.SavePath));
  EXPECT_TRUE(outcome.Appended.empty());
  EXPECT_TRUE(outcome.SlotFreed);
}

INSTANTIATE_TEST_SUITE_P(Oversize, DownloadOversizeTest, testing::Values("/length", "/flood"));

TEST_F(DownloadThreadTest, HttpsServerWithAnUntrustedCertificateIsRefused) {
  UntrustedHttpsServer https;
  std::atomic<bool> answered{false};
  https.Https().Get("/picture.jpg", [&](const httplib::Request&, httplib::Response& response) {
    answered.store(true);
    response.set_content("jpeg bytes", "image/jpeg");
  });
  DownloadRequest request = Request("/");
  request.Url = https.Url("/picture.jpg");

  const WorkerOutcome outcome = Run(request);

  EXPECT_EQ(https.Handshakes(), 1);
  EXPECT_FALSE(answered.load());
  EXPECT_EQ(ReadFileBytes(request.SavePath), "");
  EXPECT_TRUE(outcome.Appended.empty());
}

TEST_F(DownloadThreadTest, LocalFileAddressIsRefused) {
  const std::filesystem::path secret = mFolder / "secret.txt";
  WriteFileBytes(secret, "private");
  DownloadRequest request = Request("/length");
  request.Url = "file://" + secret.string();

  const WorkerOutcome outcome = Run(request);

  EXPECT_EQ(ReadFileBytes(request.SavePath), "");
  EXPECT_TRUE(outcome.Appended.empty());
}

// The attribute's value; none when the file has none.
std::optional<std::string> Attribute(const std::filesystem::path& file, const char* name) {
  std::string value(4096, '\0');
  const ssize_t size = ::getxattr(file.c_str(), name, value.data(), value.size());
  if (size < 0) return std::nullopt;
  value.resize(static_cast<std::size_t>(size));
  return value;
}

bool TakesUserAttributes(const std::filesystem::path& folder) {
  const std::filesystem::path probe = folder / "probe";
  WriteFileBytes(probe, "");
  const bool taken = ::setxattr(probe.c_str(), "user.probe", "1", 1, 0) == 0;
  std::filesystem::remove(probe);
  return taken;
}

// What getfattr, as a user would run it, prints of file; nullopt when it is not installed.
std::optional<std::string> GetfattrOutput(const std::filesystem::path& file) {
  if (std::system("command -v getfattr > /dev/null") != 0) return std::nullopt;
  const std::string command = "getfattr --absolute-names -d '" + file.string() + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string output;
  char buffer[512];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
    output.append(buffer, got);
  ::pclose(pipe);
  return output;
}

TEST_F(DownloadThreadTest, TheSavedFileNamesItsPictureAndPageWithoutCredentials) {
  if (!TakesUserAttributes(mFolder.Path())) {
    GTEST_SKIP() << "the file system of " << mFolder.Path() << " takes no user attributes";
  }
  const std::string server = "127.0.0.1:" + std::to_string(mServer.Port());
  std::vector<DownloadRequest> requests;
  requests.push_back(Request("/auth"));
  requests.back().Url = "http://user:secret@" + server + "/auth";
  requests.back().Page = "http://user:secret@" + server + "/gallery.html?by=me@mail.example";
  // A followed redirection: the file came from where it ended.
  requests.push_back(Request("/moved"));
  requests.back().SavePath = (mFolder / "moved.jpg").string();
  requests.back().FollowRedirects = true;

  const WorkerOutcome outcome = RunAll(std::move(requests));

  ASSERT_EQ(outcome.Appended.size(), 2u);
  const std::filesystem::path first = mFolder / "picture.jpg";
  EXPECT_EQ(Attribute(first, kOriginAttribute), "http://" + server + "/auth");
  EXPECT_EQ(Attribute(first, kReferrerAttribute),
            "http://" + server + "/gallery.html?by=me@mail.example");
  EXPECT_EQ(Attribute(mFolder / "moved.jpg", kOriginAttribute), mServer.Url("/length"));
  EXPECT_EQ(Attribute(mFolder / "moved.jpg", kReferrerAttribute), std::nullopt);
  if (const std::optional<std::string> shown = GetfattrOutput(first)) {
    EXPECT_NE(shown->find("user.xdg.origin.url=\"http://" + server + "/auth\""), std::string::npos)
        << *shown;
    EXPECT_EQ(shown->find("secret"), std::string::npos) << *shown;
  }
}

struct ServerDateCase {
  const char* LastModified;  // nullptr: no such header
  bool ServerDate;
  std::optional<std::time_t> Expected;  // nothing: the download's own time
};

void PrintTo(const ServerDateCase& row, std::ostream* out) {
  *out << (row.LastModified ? row.LastModified : "no Last-Modified")
       << (row.ServerDate ? ", server's date on" : ", off");
}

class DownloadServerDateTest : public DownloadThreadTest,
                               public testing::WithParamInterface<ServerDateCase> {};

// The calendar is the fake one, at 15 January 2026, far from the machine's.
TEST_P(DownloadServerDateTest, TheFileIsDatedByTheServerOnlyWhenAskedAndBelievable) {
  const ServerDateCase& row = GetParam();
  mServer.Http().Get("/dated", [&row](const httplib::Request&, httplib::Response& response) {
    if (row.LastModified != nullptr) response.set_header("Last-Modified", row.LastModified);
    response.set_content("dated", "image/jpeg");
  });
  DownloadRequest request = Request("/dated");
  request.ServerDate = row.ServerDate;
  FakeWallClock calendar;
  TransferLimits limits;
  limits.Calendar = &calendar;
  // The download's own date is no earlier than this file's.
  WriteFileBytes(mFolder / "before", "");
  struct stat before {};
  ASSERT_EQ(::stat((mFolder / "before").c_str(), &before), 0);

  Run(request, limits);

  struct stat info {};
  ASSERT_EQ(::stat(request.SavePath.c_str(), &info), 0);
  EXPECT_EQ(ReadFileBytes(request.SavePath), "dated");
  if (row.Expected) {
    EXPECT_EQ(info.st_mtim.tv_sec, *row.Expected);
  } else {
    EXPECT_GE(info.st_mtim.tv_sec, before.st_mtim.tv_sec);
  }
}

INSTANTIATE_TEST_SUITE_P(
    LastModified, DownloadServerDateTest,
    testing::Values(ServerDateCase{"Wed, 21 Oct 2015 07:28:00 GMT", true, 1445412480},
                    ServerDateCase{"Wed, 21 Oct 2015 07:28:00 GMT", false, std::nullopt},
                    ServerDateCase{nullptr, true, std::nullopt},
                    ServerDateCase{"yesterday, roughly", true, std::nullopt},
                    // Half a day and a day and a half past the calendar's now.
                    ServerDateCase{"Thu, 15 Jan 2026 12:00:00 GMT", true, 1768478400},
                    ServerDateCase{"Fri, 16 Jan 2026 12:00:00 GMT", true, std::nullopt}));

}  // namespace
}  // namespace vexilo::test
