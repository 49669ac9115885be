#pragma once
// A small web site served by an in-process HTTP server on 127.0.0.1 with a free port. It
// records the path of every request it gets.

#include <httplib.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vexilo::test {

class TestSite {
 public:
  TestSite();
  ~TestSite();
  TestSite(const TestSite&) = delete;
  TestSite& operator=(const TestSite&) = delete;

  // Serves body as an HTML page at path.
  void AddPage(const std::string& path, const std::string& body);
  // A tiny GIF at path.
  void AddPicture(const std::string& path);
  // A 302 answer that sends the browser to target.
  void AddRedirect(const std::string& path, const std::string& target);
  // A page that sends body at once and then never finishes.
  void AddEndlessPage(const std::string& path, const std::string& body);

  int Port() const { return mPort; }
  // "http://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const;
  std::vector<std::string> Requests() const;
  bool WasRequested(const std::string& path) const;

 private:
  httplib::Server mServer;
  std::thread mThread;
  int mPort = 0;
  std::atomic<bool> mStopping{false};
  mutable std::mutex mMutex;
  std::vector<std::string> mRequests;
};

}  // namespace vexilo::test
