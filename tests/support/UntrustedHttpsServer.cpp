#include "support/UntrustedHttpsServer.h"

#include <openssl/ssl.h>

#include <cstdlib>
#include <stdexcept>

namespace vexilo::test {
namespace {

// The key and certificate files in folder, made first; the server reads them as it is built.
const std::filesystem::path& MadeCertificate(const std::filesystem::path& folder) {
  const std::string command =
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -subj "
      "/CN=127.0.0.1 "
      "-days 1 -keyout " +
      (folder / "key.pem").string() + " -out " + (folder / "certificate.pem").string() +
      " 2>/dev/null";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("openssl made no certificate");
  return folder;
}

int CountHandshake(SSL*, int*, void* count) {
  ++*static_cast<std::atomic<int>*>(count);
  return SSL_CLIENT_HELLO_SUCCESS;
}

}  // namespace

UntrustedHttpsServer::UntrustedHttpsServer()
    : mServer((MadeCertificate(mFolder.Path()) / "certificate.pem").c_str(),
              (mFolder.Path() / "key.pem").c_str()) {
  if (!mServer.is_valid()) throw std::runtime_error("the https server did not start");
  SSL_CTX_set_client_hello_cb(mServer.ssl_context(), &CountHandshake, &mHandshakes);
  mPort = mServer.bind_to_any_port("127.0.0.1");
  if (mPort <= 0) throw std::runtime_error("no loopback port for the https server");
  mThread = std::thread([this] { mServer.listen_after_bind(); });
  // A stop() before the loop runs is lost, and the join would wait for ever.
  while (!mServer.is_running()) std::this_thread::yield();
}

UntrustedHttpsServer::~UntrustedHttpsServer() {
  mServer.stop();
  mThread.join();
}

std::string UntrustedHttpsServer::Url(const std::string& path) const {
  return "https://127.0.0.1:" + std::to_string(mPort) + path;
}

}  // namespace vexilo::test
