#pragma once
// An https server on 127.0.0.1 whose certificate is self-signed for the test, so no client
// trusts it. It counts the handshakes clients begin: a client that refuses the certificate
// never reaches a handler, but it did come.

#include <httplib.h>

#include <atomic>
#include <string>
#include <thread>

#include "support/TempDir.h"

namespace vexilo::test {

class UntrustedHttpsServer {
 public:
  UntrustedHttpsServer();
  ~UntrustedHttpsServer();
  UntrustedHttpsServer(const UntrustedHttpsServer&) = delete;
  UntrustedHttpsServer& operator=(const UntrustedHttpsServer&) = delete;

  httplib::SSLServer& Https() { return mServer; }
  // "https://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const;
  int Handshakes() const { return mHandshakes.load(); }

 private:
  TempDir mFolder;  // the key and the certificate
  httplib::SSLServer mServer;
  std::atomic<int> mHandshakes{0};
  int mPort = 0;
  std::thread mThread;
};

}  // namespace vexilo::test
