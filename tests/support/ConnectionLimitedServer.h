#pragma once
// A loopback host that serves at most `limit` connections at once: each one it takes is held
// unanswered, and a connection beyond the limit is reset at once, which also answers the
// held ones. So every refusal comes while the host is full, and every refusal lets at least
// `limit` pictures through. ReleaseHeld answers the held ones when no more connections will
// come. Every answer is a whole picture of BodyBytes, its bytes set by its path.

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vexilo::test {

class ConnectionLimitedServer {
 public:
  static constexpr std::size_t kBodyBytes = 64 * 1024;

  explicit ConnectionLimitedServer(int limit);
  ~ConnectionLimitedServer();
  ConnectionLimitedServer(const ConnectionLimitedServer&) = delete;
  ConnectionLimitedServer& operator=(const ConnectionLimitedServer&) = delete;

  std::string Url(const std::string& path) const;
  // What the host answers for path.
  static std::string Body(const std::string& path);

  void ReleaseHeld();
  int Held() const;
  int Refused() const;
  int Served() const;
  // The most connections it held at one time.
  int MostAtOnce() const;

 private:
  struct Connection {
    int Socket;
    std::string Path;
  };

  void Serve();
  void AnswerHeldLocked();

  const int mLimit;
  int mPort = 0;  // before mListener, whose set-up fills it
  int mListener = -1;
  mutable std::mutex mMutex;
  std::vector<Connection> mHeld;
  int mRefused = 0;
  int mServed = 0;
  int mMostAtOnce = 0;
  std::thread mThread;
};

}  // namespace vexilo::test
