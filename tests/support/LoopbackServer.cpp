#include "support/LoopbackServer.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace vexilo::test {
namespace {

constexpr auto kWaitLimit = std::chrono::seconds(30);
// A 1 x 1 GIF.
const std::string kGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01"
    "\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02"
    "D\x01\x00;",
    43);

}  // namespace

LoopbackServer::LoopbackServer(Connections connections) {
  if (connections == Connections::OnePerRequest) mServer.set_keep_alive_max_count(1);
  mServer.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
    {
      std::lock_guard lock(mMutex);
      mRequests.push_back({request.path, request.headers, request.remote_port});
    }
    mChanged.notify_all();
    return httplib::Server::HandlerResponse::Unhandled;
  });
  mServer.Get(R"(/gate/(\d+))",
              [this](const httplib::Request& request, httplib::Response& response) {
                const int gate = std::stoi(request.matches[1].str());
                WaitAtGate(gate);
                response.set_content("picture " + std::to_string(gate), "image/jpeg");
              });
  mServer.Get("/stall", [this](const httplib::Request&, httplib::Response& response) {
    std::unique_lock lock(mMutex);
    mChanged.wait(lock, [this] { return mAllOpen; });
    response.set_content("too late", "text/plain");
  });
  mPort = mServer.bind_to_any_port("127.0.0.1");
  if (mPort <= 0) throw std::runtime_error("no loopback port for the test server");
  // Connections wait in the backlog until the loop accepts them.
  mThread = std::thread([this] { mServer.listen_after_bind(); });
  // A stop() before the loop runs is lost, and the join would wait for ever.
  while (!mServer.is_running()) std::this_thread::yield();
}

LoopbackServer::~LoopbackServer() {
  mStopping = true;
  OpenAllGates();
  mServer.stop();
  mThread.join();
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(mPort) + path;
}

void LoopbackServer::AddPage(const std::string& path, const std::string& body) {
  mServer.Get(path, [body](const httplib::Request&, httplib::Response& response) {
    response.set_content(body, "text/html; charset=utf-8");
  });
}

void LoopbackServer::AddPicture(const std::string& path) {
  mServer.Get(path, [](const httplib::Request&, httplib::Response& response) {
    response.set_content(kGif, "image/gif");
  });
}

const std::string& LoopbackServer::TinyGif() { return kGif; }

void LoopbackServer::AddRedirect(const std::string& path, const std::string& target) {
  mServer.Get(path, [target](const httplib::Request&, httplib::Response& response) {
    response.set_redirect(target);
  });
}

void LoopbackServer::AddEndlessPage(const std::string& path, const std::string& body) {
  mServer.Get(path, [this, body](const httplib::Request&, httplib::Response& response) {
    // The server compresses "text/" answers, which holds back what a chunk sends; a media
    // type spelt with a capital passes uncompressed and still reads as HTML.
    response.set_chunked_content_provider(
        "Text/html; charset=utf-8", [this, body](size_t offset, httplib::DataSink& sink) {
          if (mStopping) return false;
          if (offset == 0) return sink.write(body.data(), body.size());
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          return sink.write(" ", 1);
        });
  });
}

void LoopbackServer::WaitAtGate(int gate) {
  std::unique_lock lock(mMutex);
  mChanged.wait(lock, [&] { return mAllOpen || mOpenGates.count(gate) > 0; });
}

void LoopbackServer::OpenGate(int gate) {
  {
    std::lock_guard lock(mMutex);
    mOpenGates.insert(gate);
  }
  mChanged.notify_all();
}

void LoopbackServer::CloseGate(int gate) {
  std::lock_guard lock(mMutex);
  mOpenGates.erase(gate);
}

void LoopbackServer::OpenAllGates() {
  {
    std::lock_guard lock(mMutex);
    mAllOpen = true;
  }
  mChanged.notify_all();
}

bool LoopbackServer::WaitForRequests(std::size_t count) {
  std::unique_lock lock(mMutex);
  return mChanged.wait_for(lock, kWaitLimit, [&] { return mRequests.size() >= count; });
}

std::vector<SeenRequest> LoopbackServer::Requests() const {
  std::lock_guard lock(mMutex);
  return mRequests;
}

int LoopbackServer::Hits(const std::string& path) const {
  std::lock_guard lock(mMutex);
  return static_cast<int>(
      std::count_if(mRequests.begin(), mRequests.end(),
                    [&](const SeenRequest& seen) { return seen.Path == path; }));
}

int UnusedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  int port = 0;
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  if (fd >= 0) ::close(fd);
  if (port == 0) throw std::runtime_error("no free loopback port");
  return port;
}

int ListenOnLoopback(int backlog, int& port) {
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(listener, backlog) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (listener >= 0) ::close(listener);
    throw std::runtime_error("no loopback port to listen on");
  }
  port = ntohs(address.sin_port);
  return listener;
}

RawServer::RawServer(std::string response)
    : mResponse(std::move(response)), mListener(ListenOnLoopback(4, mPort)) {
  mThread = std::thread([this] { Serve(); });
}

RawServer::~RawServer() {
  ::shutdown(mListener, SHUT_RDWR);
  mThread.join();
  ::close(mListener);
}

std::string RawServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(mPort) + path;
}

void RawServer::Serve() {
  const int connection = ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
  if (connection < 0) return;
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    const ssize_t got = ::recv(connection, buffer, sizeof(buffer), 0);
    if (got <= 0) break;
    request.append(buffer, static_cast<size_t>(got));
  }
  ::send(connection, mResponse.data(), mResponse.size(), MSG_NOSIGNAL);
  ::close(connection);
}

}  // namespace vexilo::test
