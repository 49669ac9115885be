#pragma once
// An in-process HTTP server on 127.0.0.1 with a free port, for every test that needs a web
// site. It serves from construction and records every request it gets. Built-in routes:
//   /gate/<n>   waits until gate n (or every gate) is opened, then answers "picture <n>";
//   /stall      answers nothing until the server goes.
// Tests add their own routes through Http() or the Add helpers before they are requested.

#include <httplib.h>

#include <atomic>
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
  // OnePerRequest closes each connection after its answer: an idle kept-alive connection (a
  // browser's) would hold up the stop for seconds.
  enum class Connections { KeptAlive, OnePerRequest };

  explicit LoopbackServer(Connections connections = Connections::KeptAlive);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  httplib::Server& Http() { return mServer; }
  int Port() const { return mPort; }
  // "http://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const;

  // Serves body as an HTML page at path.
  void AddPage(const std::string& path, const std::string& body);
  // A tiny GIF at path.
  void AddPicture(const std::string& path);
  // The bytes AddPicture serves.
  static const std::string& TinyGif();
  // A 302 answer that sends the client to target.
  void AddRedirect(const std::string& path, const std::string& target);
  // A page that sends body at once and then never finishes.
  void AddEndlessPage(const std::string& path, const std::string& body);

  // Blocks a handler until gate (or every gate) is open.
  void WaitAtGate(int gate);
  void OpenGate(int gate);
  void CloseGate(int gate);
  void OpenAllGates();

  // Waits until count requests have arrived (before they are answered).
  bool WaitForRequests(std::size_t count);
  std::vector<SeenRequest> Requests() const;
  // How many requests asked for path.
  int Hits(const std::string& path) const;

 private:
  httplib::Server mServer;
  int mPort = 0;
  std::thread mThread;
  std::atomic<bool> mStopping{false};
  mutable std::mutex mMutex;
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
  int mPort = 0;  // before mListener, whose set-up fills it
  int mListener = -1;
  std::thread mThread;
};

// A socket listening on 127.0.0.1 at a port the system chose, and that port; raises
// std::runtime_error when none can be had.
int ListenOnLoopback(int backlog, int& port);

// A loopback port that nothing listens on (as far as one can tell).
int UnusedPort();

// A host name that never resolves, and fails at once without asking any name server: one of
// its labels is longer than DNS allows. The tests stay off the network and off its delays.
inline constexpr const char* kUnresolvableHost =
    "no-such-host-aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa.invalid";

}  // namespace vexilo::test
