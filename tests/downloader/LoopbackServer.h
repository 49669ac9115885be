#pragma once
// An in-process HTTP server on 127.0.0.1 with a free port, for the download tests.
// Routes:
//   /gate/<n>   waits until gate n (or every gate) is opened, then answers "picture <n>";
//   /stall      answers nothing until the server goes.
// Tests add their own routes through Http() before calling Start().

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vexilo::test {

struct SeenRequest {
  std::string Path;
  httplib::Headers Headers;
  int ClientPort;  // tells one connection from another
};

class LoopbackServer {
 public:
  LoopbackServer();
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  httplib::Server& Http() { return mServer; }
  void Start();
  int Port() const { return mPort; }
  std::string Url(const std::string& path) const;

  void OpenGate(int gate);
  void OpenAllGates();
  // Waits until count requests have arrived (before they are answered).
  bool WaitForRequests(std::size_t count);
  std::vector<SeenRequest> Requests();

 private:
  void AnswerGate(int gate, httplib::Response& response);

  httplib::Server mServer;
  int mPort = 0;
  std::thread mThread;
  std::mutex mMutex;
  std::condition_variable mChanged;
  std::set<int> mOpenGates;
  bool mAllOpen = false;
  std::vector<SeenRequest> mRequests;
};

// Answers one connection with a fixed response and closes it: a body that ends with the
// connection, which the HTTP server above cannot be made to send.
class RawServer {
 public:
  explicit RawServer(std::string response);
  ~RawServer();
  RawServer(const RawServer&) = delete;
  RawServer& operator=(const RawServer&) = delete;

  std::string Url(const std::string& path) const;

 private:
  void Serve();

  std::string mResponse;
  int mListener = -1;
  int mPort = 0;
  std::thread mThread;
};

// A loopback port that nothing listens on (as far as one can tell).
int UnusedPort();

}  // namespace vexilo::test
