#include "support/TestSite.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace vexilo::test {
namespace {

// A 1 x 1 GIF.
const std::string kGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01"
    "\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02"
    "D\x01\x00;",
    43);
constexpr const char* kHtml = "text/html; charset=utf-8";

}  // namespace

TestSite::TestSite() {
  // One request per connection: an idle kept-alive connection would hold up stop() for
  // seconds.
  mServer.set_keep_alive_max_count(1);
  mServer.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
    std::lock_guard lock(mMutex);
    mRequests.push_back(request.path);
    return httplib::Server::HandlerResponse::Unhandled;
  });
  mPort = mServer.bind_to_any_port("127.0.0.1");
  if (mPort <= 0) throw std::runtime_error("cannot bind a loopback port");
  // Connections wait in the backlog until the loop accepts them.
  mThread = std::thread([this] { mServer.listen_after_bind(); });
}

TestSite::~TestSite() {
  mStopping = true;
  mServer.stop();
  mThread.join();
}

void TestSite::AddPage(const std::string& path, const std::string& body) {
  mServer.Get(path, [body](const httplib::Request&, httplib::Response& response) {
    response.set_content(body, kHtml);
  });
}

void TestSite::AddPicture(const std::string& path) {
  mServer.Get(path, [](const httplib::Request&, httplib::Response& response) {
    response.set_content(kGif, "image/gif");
  });
}

void TestSite::AddRedirect(const std::string& path, const std::string& target) {
  mServer.Get(path, [target](const httplib::Request&, httplib::Response& response) {
    response.set_redirect(target);
  });
}

void TestSite::AddEndlessPage(const std::string& path, const std::string& body) {
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

std::string TestSite::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(mPort) + path;
}

std::vector<std::string> TestSite::Requests() const {
  std::lock_guard lock(mMutex);
  return mRequests;
}

bool TestSite::WasRequested(const std::string& path) const {
  std::lock_guard lock(mMutex);
  return std::find(mRequests.begin(), mRequests.end(), path) != mRequests.end();
}

}  // namespace vexilo::test
