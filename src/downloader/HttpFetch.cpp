#include "downloader/HttpFetch.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>

#include "core/PictureHeader.h"
#include "core/TextRules.h"
#include "core/WriteAll.h"

namespace vexilo {
namespace {

// As large as the curl tool's: fewer reads and writes per picture.
constexpr long kBufferSize = 100 * 1024;
// Enough to tell a picture's kind by its signature.
constexpr std::size_t kSignatureBytes = 32;
// A hostile reason phrase must not flood the picture list.
constexpr std::size_t kMostStatusText = 80;

class OutputFile {
 public:
  OutputFile(const std::string& path, std::uint64_t maxBytes)
      // A link planted at the save path must not lead the picture to a file elsewhere.
      : mFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666)),
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
    if (!fits) {
      size = static_cast<size_t>(mRoomLeft);
      mOverflowed = true;
    }
    mRoomLeft -= size;
    if (mHead.size() < kSignatureBytes) {
      mHead.append(data, std::min(size, kSignatureBytes - mHead.size()));
    }
    return vexilo::WriteAll(mFd, data, size) && fits;
  }
  // The body's first bytes.
  const std::string& Head() const { return mHead; }
  // True once the body went past the room.
  bool Overflowed() const { return mOverflowed; }
  // A failed close can mean the last data never reached the disk.
  bool Close() {
    const int fd = mFd;
    mFd = -1;
    return ::close(fd) == 0;
  }

 private:
  int mFd;
  std::uint64_t mRoomLeft;  // a chunked body announces no length, so the writes are counted
  bool mOverflowed = false;
  std::string mHead;
};

// The last response's status line without its HTTP version: "404 Not Found". libcurl keeps
// the code but not the reason phrase.
class StatusLine {
 public:
  static size_t Take(char* data, size_t size, size_t count, void* self) {
    const size_t total = size * count;
    try {
      static_cast<StatusLine*>(self)->TakeLine(std::string_view(data, total));
    } catch (...) {
      // Out of memory: the status stays as it was; no exception may cross libcurl.
    }
    return total;
  }
  const std::string& Text() const { return mText; }

 private:
  void TakeLine(std::string_view line) {
    if (!line.starts_with("HTTP/")) return;
    const size_t space = line.find(' ');
    line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    mText = Trim(line.substr(0, std::min(line.size(), kMostStatusText)));
  }

  std::string mText;
};

// Goes back to the pool only after a transfer that went well: a handle that failed (a host
// that did not resolve, say) can refuse options at its next use, and would fail every later
// picture that took it.
class BorrowedHandle {
 public:
  explicit BorrowedHandle(CurlHandlePool& pool) : mPool(pool), mHandle(pool.Take()) {}
  ~BorrowedHandle() {
    if (mReusable) {
      mPool.Give(mHandle);
    } else {
      curl_easy_cleanup(mHandle);
    }
  }
  BorrowedHandle(const BorrowedHandle&) = delete;
  BorrowedHandle& operator=(const BorrowedHandle&) = delete;

  CURL* Get() const { return mHandle; }
  void KeepForReuse() { mReusable = true; }

 private:
  CurlHandlePool& mPool;
  CURL* mHandle;
  bool mReusable = false;
};

// Looked at by libcurl at least once a second: ends the transfer on Stop or Exit, or when
// the bytes of the last window came slower than the floor on the average rate.
class TransferWatch {
 public:
  TransferWatch(const TransferLimits& limits, const std::atomic<bool>& abort)
      : mLimits(limits), mAbort(abort), mWindowStart(Clock::now()) {}

  bool KeepGoing(std::uint64_t received) {
    if (mAbort.load()) return false;
    if (mLimits.MinAverageRate == 0 || mLimits.RateWindow.count() <= 0) return true;
    const Clock::time_point now = Clock::now();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - mWindowStart);
    if (elapsed < mLimits.RateWindow) return true;
    const std::uint64_t needed =
        mLimits.MinAverageRate * static_cast<std::uint64_t>(elapsed.count()) / 1000;
    if (received - mWindowBytes < needed) return false;
    mWindowStart = now;
    mWindowBytes = received;
    return true;
  }

 private:
  using Clock = std::chrono::steady_clock;

  const TransferLimits& mLimits;
  const std::atomic<bool>& mAbort;
  Clock::time_point mWindowStart;
  std::uint64_t mWindowBytes = 0;
};

size_t WriteBody(char* data, size_t size, size_t count, void* file) {
  const size_t total = size * count;
  return static_cast<OutputFile*>(file)->WriteAll(data, total) ? total : 0;
}

int WatchTransfer(void* watch, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
  const auto bytes = static_cast<std::uint64_t>(received < 0 ? 0 : received);
  return static_cast<TransferWatch*>(watch)->KeepGoing(bytes) ? 0 : 1;
}

struct TransferParts {
  OutputFile& File;
  TransferWatch& Watch;
  RedirectGuard& Guard;
  StatusLine& Status;
};

bool Configure(CURL* curl, const DownloadRequest& request, const TransferLimits& limits,
               const TransferParts& parts) {
  // Only tunes speed: a handle that refuses it still downloads.
  (void)curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kBufferSize);
  return ConfigurePictureRequest(curl, request, parts.Guard) &&
         // A pooled handle keeps only the connection of its last transfer.
         SetCurlOption(curl, CURLOPT_MAXCONNECTS, 1L) &&
         SetCurlOption(curl, CURLOPT_CONNECTTIMEOUT_MS,
                       static_cast<long>(limits.ConnectTimeout.count())) &&
         SetCurlOption(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.TotalTime.count())) &&
         SetCurlOption(curl, CURLOPT_LOW_SPEED_LIMIT, 1L) &&
         SetCurlOption(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.StallTime.count())) &&
         SetCurlOption(curl, CURLOPT_MAXFILESIZE_LARGE,
                       static_cast<curl_off_t>(limits.MaxBodyBytes)) &&
         SetCurlOption(curl, CURLOPT_WRITEFUNCTION, &WriteBody) &&
         SetCurlOption(curl, CURLOPT_WRITEDATA, static_cast<void*>(&parts.File)) &&
         SetCurlOption(curl, CURLOPT_HEADERFUNCTION, &StatusLine::Take) &&
         SetCurlOption(curl, CURLOPT_HEADERDATA, static_cast<void*>(&parts.Status)) &&
         SetCurlOption(curl, CURLOPT_NOPROGRESS, 0L) &&
         SetCurlOption(curl, CURLOPT_XFERINFOFUNCTION, &WatchTransfer) &&
         SetCurlOption(curl, CURLOPT_XFERINFODATA, static_cast<void*>(&parts.Watch));
}

long StatusCode(CURL* curl) {
  long status = 0;
  if (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) return 0;
  return status;
}

FetchOutcome ResponseOutcome(CURL* curl) {
  long status = 0;
  if (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) {
    return {false, "no response", false, {}};
  }
  curl_header* location = nullptr;
  const bool hasLocation =
      curl_easy_header(curl, "Location", 0, CURLH_HEADER, -1, &location) == CURLHE_OK;
  if (status >= 200 && status < 300 && !hasLocation) return {true, "", false, {}};
  curl_off_t retryAfter = 0;  // libcurl turns an HTTP date into seconds from now
  if (curl_easy_getinfo(curl, CURLINFO_RETRY_AFTER, &retryAfter) != CURLE_OK || retryAfter < 0) {
    retryAfter = 0;
  }
  if (status >= 200 && status < 300) return {false, "redirected", false, {}};
  return StatusFailure(status, std::chrono::seconds(retryAfter));
}

// Where the transfer ended when it followed at least one redirection, without user name and
// password: libcurl writes the credentials into a followed relative address.
std::string FinalUrlOf(CURL* curl) {
  long redirects = 0;
  const char* url = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_REDIRECT_COUNT, &redirects) != CURLE_OK || redirects < 1 ||
      curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || url == nullptr) {
    return "";
  }
  const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parts(curl_url(), &curl_url_cleanup);
  char* bare = nullptr;
  if (!parts || curl_url_set(parts.get(), CURLUPART_URL, url, 0) != CURLUE_OK ||
      curl_url_set(parts.get(), CURLUPART_USER, nullptr, 0) != CURLUE_OK ||
      curl_url_set(parts.get(), CURLUPART_PASSWORD, nullptr, 0) != CURLUE_OK ||
      curl_url_get(parts.get(), CURLUPART_URL, &bare, 0) != CURLUE_OK) {
    return "";  // better no address shown than one with the password in it
  }
  std::string result = bare;
  curl_free(bare);
  return result;
}

// Why a finished transfer left no picture worth keeping; "" when it did.
std::string WhyNoPicture(CURL* curl, bool complete, const std::string& statusText,
                         const std::string& head) {
  const long status = StatusCode(curl);
  if (status != 0 && (status < 200 || status >= 300)) {
    return statusText.empty() ? StatusText(status) : statusText;
  }
  if (!complete) return "download failed";
  if (!ResponseOutcome(curl).Ok) return statusText.empty() ? StatusText(status) : statusText;
  return SniffPictureFormat(head) == PictureFormat::Unknown ? "not a picture" : "";
}

FetchResult FailedFetch(std::string reason) {
  FetchResult failed;
  failed.Reason = std::move(reason);
  return failed;
}

}  // namespace

FetchResult FetchToFile(const DownloadRequest& request, const TransferLimits& limits,
                        const std::atomic<bool>& abort, CurlHandlePool& handles) {
  OutputFile file(request.SavePath, limits.MaxBodyBytes);
  if (!file.IsOpen()) return FailedFetch("could not create the file");
  BorrowedHandle curl(handles);
  TransferWatch watch(limits, abort);
  RedirectGuard guard;
  StatusLine status;
  if (curl.Get() == nullptr ||
      !Configure(curl.Get(), request, limits, {file, watch, guard, status})) {
    FetchResult fetched = FailedFetch("could not start");
    if (request.KeepOnlyRealPictures) {
      ::unlink(request.SavePath.c_str());
      fetched.RemovedBecause = "download failed";
    }
    return fetched;
  }
  const CURLcode result = curl_easy_perform(curl.Get());
  FetchResult fetched;
  static_cast<FetchOutcome&>(fetched) =
      result == CURLE_OK ? ResponseOutcome(curl.Get()) : TransferFailure(result, abort.load());
  const bool closed = file.Close();
  // A chain that failed, or led to an address refused, shows where it started.
  if (request.FollowRedirects && result == CURLE_OK) fetched.FinalUrl = FinalUrlOf(curl.Get());
  if (result == CURLE_FILESIZE_EXCEEDED || file.Overflowed()) {
    // Cut off by the size cap: garbage by construction, and possibly a gigabyte of it.
    ::unlink(request.SavePath.c_str());
    return FailedFetch("too large");
  }
  // A transfer cut off by Stop or Exit is fetched again on Resume into the same file.
  if (request.KeepOnlyRealPictures && !abort.load()) {
    fetched.RemovedBecause =
        WhyNoPicture(curl.Get(), result == CURLE_OK && closed, status.Text(), file.Head());
    if (!fetched.RemovedBecause.empty()) {
      ::unlink(request.SavePath.c_str());
      if (fetched.Ok)
        static_cast<FetchOutcome&>(fetched) = {false, fetched.RemovedBecause, false, {}};
      return fetched;
    }
  }
  if (fetched.Ok) curl.KeepForReuse();
  if (fetched.Ok && !closed) return FailedFetch("could not write the file");
  return fetched;
}

}  // namespace vexilo
