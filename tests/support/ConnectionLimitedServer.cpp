#include "support/ConnectionLimitedServer.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "support/LoopbackServer.h"

namespace vexilo::test {
namespace {

// The request's path; empty when the client sent no whole request line.
std::string ReadRequestPath(int connection) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    const ssize_t got = ::recv(connection, buffer, sizeof(buffer), 0);
    if (got <= 0) return "";
    request.append(buffer, static_cast<size_t>(got));
  }
  const size_t start = request.find(' ');
  const size_t end = request.find(' ', start + 1);
  if (start == std::string::npos || end == std::string::npos) return "";
  return request.substr(start + 1, end - start - 1);
}

void SendAll(int connection, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t wrote =
        ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (wrote <= 0) return;
    sent += static_cast<size_t>(wrote);
  }
}

// Closed with a reset rather than an orderly end, as a host refusing the connection would.
void Reset(int connection) {
  const linger abort{1, 0};
  ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof(abort));
  ::close(connection);
}

}  // namespace

ConnectionLimitedServer::ConnectionLimitedServer(int limit)
    : mLimit(limit), mListener(ListenOnLoopback(16, mPort)) {
  mThread = std::thread([this] { Serve(); });
}

ConnectionLimitedServer::~ConnectionLimitedServer() {
  ::shutdown(mListener, SHUT_RDWR);
  mThread.join();
  ::close(mListener);
  for (const Connection& held : mHeld) ::close(held.Socket);
}

std::string ConnectionLimitedServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(mPort) + path;
}

std::string ConnectionLimitedServer::Body(const std::string& path) {
  std::string body = "GIF89a" + path;
  while (body.size() < kBodyBytes) body += static_cast<char>(body.size() * 31 + path.size());
  return body;
}

void ConnectionLimitedServer::ReleaseHeld() {
  std::lock_guard lock(mMutex);
  AnswerHeldLocked();
}

int ConnectionLimitedServer::Held() const {
  std::lock_guard lock(mMutex);
  return static_cast<int>(mHeld.size());
}

int ConnectionLimitedServer::Refused() const {
  std::lock_guard lock(mMutex);
  return mRefused;
}

int ConnectionLimitedServer::Served() const {
  std::lock_guard lock(mMutex);
  return mServed;
}

int ConnectionLimitedServer::MostAtOnce() const {
  std::lock_guard lock(mMutex);
  return mMostAtOnce;
}

void ConnectionLimitedServer::Serve() {
  while (true) {
    const int connection = ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) return;  // the listener was shut down
    std::lock_guard lock(mMutex);
    if (static_cast<int>(mHeld.size()) >= mLimit) {
      // Once the request is in, the client has its connection for sure and sees it lost.
      ReadRequestPath(connection);
      Reset(connection);
      ++mRefused;
      AnswerHeldLocked();
      continue;
    }
    mHeld.push_back({connection, ReadRequestPath(connection)});
    mMostAtOnce = std::max(mMostAtOnce, static_cast<int>(mHeld.size()));
  }
}

void ConnectionLimitedServer::AnswerHeldLocked() {
  for (const Connection& held : mHeld) {
    const std::string body = Body(held.Path);
    SendAll(held.Socket, "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    ::close(held.Socket);
    ++mServed;
  }
  mHeld.clear();
}

}  // namespace vexilo::test
