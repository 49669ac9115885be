#include "downloader/HttpFetch.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>

#include "core/TextRules.h"
#include "core/WriteAll.h"

namespace vexilo {
namespace {

// As large as the curl tool's: fewer reads and writes per picture.
constexpr long kBufferSize = 100 * 1024;

const std::string& UserAgent() {
  static const std::string agent =
      std::string("Vexilo libcurl/") + curl_version_info(CURLVERSION_NOW)->version;
  return agent;
}

class OutputFile {
 public:
  OutputFile(const std::string& path, std::uint64_t maxBytes)
      : mFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)),
        mRoomLeft(maxBytes) {}
  ~OutputFile() {
    if (mFd >= 0) ::close(mFd);
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool IsOpen() const { return mFd >= 0; }
  // False once the body would outgrow the file's room; the bytes that fit are written.
  bool WriteAll(const char* data, size_t size) {
    const bool fits = size <= mRoomLeft;
    if (!fits) size = static_cast<size_t>(mRoomLeft);
    mRoomLeft -= size;
    return vexilo::WriteAll(mFd, data, size) && fits;
  }
  // A failed close can mean the last data never reached the disk.
  bool Close() {
    const int fd = mFd;
    mFd = -1;
    return ::close(fd) == 0;
  }

 private:
  int mFd;
  std::uint64_t mRoomLeft;  // a chunked body announces no length, so the writes are counted
};

class BorrowedHandle {
 public:
  explicit BorrowedHandle(CurlHandlePool& pool) : mPool(pool), mHandle(pool.Take()) {}
  ~BorrowedHandle() { mPool.Give(mHandle); }
  BorrowedHandle(const BorrowedHandle&) = delete;
  BorrowedHandle& operator=(const BorrowedHandle&) = delete;

  CURL* Get() const { return mHandle; }

 private:
  CurlHandlePool& mPool;
  CURL* mHandle;
};

size_t WriteBody(char* data, size_t size, size_t count, void* file) {
  const size_t total = size * count;
  return static_cast<OutputFile*>(file)->WriteAll(data, total) ? total : 0;
}

int CheckAbort(void* abort, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(abort)->load() ? 1 : 0;
}

template <typename Value>
bool Set(CURL* curl, CURLoption option, Value value) {
  return curl_easy_setopt(curl, option, value) == CURLE_OK;
}

bool Configure(CURL* curl, const DownloadRequest& request, const TransferLimits& limits,
               OutputFile& file, const std::atomic<bool>& abort) {
  bool ok =
      Set(curl, CURLOPT_URL, request.Url.c_str()) &&
      Set(curl, CURLOPT_PROTOCOLS_STR, "http,https") &&
      Set(curl, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_1}) &&
      Set(curl, CURLOPT_USERAGENT, UserAgent().c_str()) && Set(curl, CURLOPT_FOLLOWLOCATION, 0L) &&
      Set(curl, CURLOPT_NOSIGNAL, 1L) &&
      // A pooled handle keeps only the connection of its last transfer.
      Set(curl, CURLOPT_MAXCONNECTS, 1L) && Set(curl, CURLOPT_BUFFERSIZE, kBufferSize) &&
      Set(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.ConnectTimeout.count())) &&
      Set(curl, CURLOPT_LOW_SPEED_LIMIT, 1L) &&
      Set(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.StallTime.count())) &&
      Set(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.MaxBodyBytes)) &&
      Set(curl, CURLOPT_WRITEFUNCTION, &WriteBody) &&
      Set(curl, CURLOPT_WRITEDATA, static_cast<void*>(&file)) &&
      Set(curl, CURLOPT_NOPROGRESS, 0L) && Set(curl, CURLOPT_XFERINFOFUNCTION, &CheckAbort) &&
      Set(curl, CURLOPT_XFERINFODATA, const_cast<void*>(static_cast<const void*>(&abort)));
  if (ok && !request.UserName.empty()) {
    ok = Set(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)) &&
         Set(curl, CURLOPT_USERNAME, request.UserName.c_str()) &&
         Set(curl, CURLOPT_PASSWORD, request.Password.c_str());
  }
  if (!ok) return false;
  // An empty proxy also keeps libcurl from taking one from the environment.
  const std::optional<ProxyAddress> proxy = ProxyFor(request.ProxyServer, request.ProxyPort);
  if (!proxy) return Set(curl, CURLOPT_PROXY, "");
  return Set(curl, CURLOPT_PROXY, proxy->Host.c_str()) &&
         Set(curl, CURLOPT_PROXYPORT, proxy->Port) &&
         Set(curl, CURLOPT_PROXYTYPE, long{CURLPROXY_HTTP}) && Set(curl, CURLOPT_NOPROXY, "");
}

bool IsPlainSuccess(CURL* curl) {
  long status = 0;
  if (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) return false;
  curl_header* location = nullptr;
  const bool hasLocation =
      curl_easy_header(curl, "Location", 0, CURLH_HEADER, -1, &location) == CURLHE_OK;
  return status >= 200 && status < 300 && !hasLocation;
}

}  // namespace

std::optional<ProxyAddress> ProxyFor(const std::string& server, const std::string& port) {
  if (server.empty() || port.empty()) return std::nullopt;
  const std::optional<std::int32_t> number = ParseWholeNumber(port);
  const bool usable = number && *number >= 1 && *number <= 65535;
  return ProxyAddress{server, usable ? long{*number} : 80L};
}

bool FetchToFile(const DownloadRequest& request, const TransferLimits& limits,
                 const std::atomic<bool>& abort, CurlHandlePool& handles) {
  OutputFile file(request.SavePath, limits.MaxBodyBytes);
  if (!file.IsOpen()) return false;
  BorrowedHandle curl(handles);
  if (curl.Get() == nullptr || !Configure(curl.Get(), request, limits, file, abort)) return false;
  const bool transferred = curl_easy_perform(curl.Get()) == CURLE_OK;
  const bool success = transferred && IsPlainSuccess(curl.Get());
  return file.Close() && success;
}

}  // namespace vexilo
