#include "downloader/HttpFetch.h"

#include <curl/curl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/PictureHeader.h"
#include "core/TextRules.h"
#include "core/WriteAll.h"
#include "downloader/CurlFailureFacts.h"
#include "downloader/PartialFile.h"
#include "downloader/PictureOrigin.h"

namespace vexilo {
namespace {

// As large as the curl tool's: fewer reads and writes per picture.
constexpr long kBufferSize = 100 * 1024;
// A hostile reason phrase must not flood the picture list.
constexpr std::size_t kMostStatusText = 80;

// A body up to this size is held in memory and written when the transfer has ended, on a
// completion thread: the transfer thread, which every transfer waits on, then only reads.
// Larger bodies go to the file as they come.
constexpr std::size_t kMostHeldBody = 1 << 20;
// What every held body together may take; past it bodies are written as they come.
constexpr std::size_t kMostHeldBodies = 32 << 20;
std::atomic<std::size_t> gHeldBytes{0};

constexpr std::size_t kSmallestKeptBuffer = 4096;

// The held bodies' memory, used again: a fresh megabyte costs a page fault every 4 KB, which
// for small pictures costs more than writing them.
class BodyBuffers {
 public:
  std::string Take() {
    std::lock_guard lock(mMutex);
    if (mKept.empty()) return {};
    std::string buffer = std::move(mKept.back());
    mKept.pop_back();
    mKeptBytes -= buffer.capacity();
    return buffer;
  }
  void Give(std::string buffer) {
    buffer.clear();
    std::lock_guard lock(mMutex);
    if (buffer.capacity() < kSmallestKeptBuffer || buffer.capacity() > kMostHeldBody ||
        mKeptBytes + buffer.capacity() > kMostKeptBytes) {
      return;
    }
    mKeptBytes += buffer.capacity();
    try {
      mKept.push_back(std::move(buffer));
    } catch (const std::bad_alloc&) {
      mKeptBytes -= buffer.capacity();
    }
  }

 private:
  static constexpr std::size_t kMostKeptBytes = 8 << 20;
  std::mutex mMutex;
  std::vector<std::string> mKept;
  std::size_t mKeptBytes = 0;
};

BodyBuffers& HeldBuffers() {
  static BodyBuffers buffers;
  return buffers;
}

// Nothing or a regular file: a link planted at the save path is neither followed nor
// replaced, and a folder there could not be.
bool MayReplace(const std::string& savePath) {
  struct stat info {};
  return ::lstat(savePath.c_str(), &info) != 0 ? errno == ENOENT : S_ISREG(info.st_mode);
}

// The folder of the save path takes new files: the partial file can be made there.
bool FolderTakesFiles(const std::string& savePath) {
  const std::filesystem::path folder = std::filesystem::path(savePath).parent_path();
  return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

// The body goes into a partial file beside the save path; only a whole response is renamed
// onto the save path (Keep), anything else is removed with it (Discard).
class OutputFile {
 public:
  OutputFile(std::string savePath, std::uint64_t maxBytes)
      : mSavePath(std::move(savePath)), mRoomLeft(maxBytes) {}
  ~OutputFile() {
    Release();
    if (mFd >= 0) ::close(mFd);
    Discard();
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Made when the first bytes go to it: for a body held in memory on a completion thread,
  // after the transfer.
  bool Create() {
    if (mFd >= 0) return true;
    if (mCreateFailed) return false;
    std::optional<PartialFile> file = CreatePartialFile(mSavePath);
    if (!file) {
      mCreateFailed = true;
      return false;
    }
    mFd = file->Fd;
    mPath = std::move(file->Path);
    return true;
  }
  bool CreateFailed() const { return mCreateFailed; }
  int Fd() const { return mFd; }
  // False once the body would outgrow the file's room; the bytes that fit are taken. A whole
  // body of `expected` bytes (-1: unknown) held back is written by Flush.
  bool WriteAll(const char* data, size_t size, curl_off_t expected) {
    const bool fits = size <= mRoomLeft;
    if (!fits) {
      size = static_cast<size_t>(mRoomLeft);
      mOverflowed = true;
    }
    mRoomLeft -= size;
    if (mHead.size() < kSignatureBytes) {
      mHead.append(data, std::min(size, kSignatureBytes - mHead.size()));
    }
    if (Hold(data, size, expected)) return fits;
    return Create() && Flush() && vexilo::WriteAll(mFd, data, size) && fits;
  }
  bool HoldsNothing() const { return mHeld.empty(); }
  // Writes what is held into the file, made now if need be; false when it cannot be written.
  bool Flush() {
    if (mHeld.empty()) return true;
    if (!Create()) return false;
    const bool written = vexilo::WriteAll(mFd, mHeld.data(), mHeld.size());
    Release();
    return written;
  }
  // The body's first bytes.
  const std::string& Head() const { return mHead; }
  // True once the body went past the room.
  bool Overflowed() const { return mOverflowed; }
  // A failed close can mean the last data never reached the disk.
  bool Close() {
    const int fd = mFd;
    mFd = -1;
    return fd >= 0 && ::close(fd) == 0;
  }
  // After Close: the body becomes the file at savePath, replacing what was there.
  bool Keep(const std::string& savePath) {
    if (mPath.empty() || ::rename(mPath.c_str(), savePath.c_str()) != 0) return false;
    mPath.clear();
    return true;
  }
  void Discard() {
    if (!mPath.empty()) ::unlink(mPath.c_str());
    mPath.clear();
  }

 private:
  // Keeps the bytes in mHeld while the body stays small and the budget has room.
  bool Hold(const char* data, size_t size, curl_off_t expected) {
    if (mWritingThrough) return false;
    const std::size_t held = mHeld.size() + size;
    if (held > kMostHeldBody || gHeldBytes.fetch_add(size) + size > kMostHeldBodies) {
      if (held <= kMostHeldBody) gHeldBytes.fetch_sub(size);
      mWritingThrough = true;
      return false;
    }
    try {
      if (mHeld.empty()) {
        if (mHeld.capacity() < kSmallestKeptBuffer) mHeld = HeldBuffers().Take();
        if (expected > 0) {
          mHeld.reserve(std::min(static_cast<std::size_t>(expected), kMostHeldBody));
        }
      }
      mHeld.append(data, size);
    } catch (const std::bad_alloc&) {
      gHeldBytes.fetch_sub(size);
      mWritingThrough = true;
      return false;
    }
    return true;
  }
  void Release() {
    gHeldBytes.fetch_sub(mHeld.size());
    if (mHeld.capacity() >= kSmallestKeptBuffer) {
      HeldBuffers().Give(std::exchange(mHeld, std::string()));
    }
    mHeld.clear();
  }

  std::string mSavePath;
  int mFd = -1;
  bool mCreateFailed = false;
  std::string mHeld;             // the body so far, not written yet
  bool mWritingThrough = false;  // once a byte went to the file, the rest follows it there
  std::string mPath;             // of the partial file, until kept or discarded
  std::uint64_t mRoomLeft;       // a chunked body announces no length, so the writes are counted
  bool mOverflowed = false;
  std::string mHead;
};

// The last response's status line without its HTTP version: "404 Not Found". libcurl keeps
// the code but not the reason phrase.
class StatusLine {
 public:
  // No exception may cross libcurl: one that is no lack of memory ends the program.
  static size_t Take(char* data, size_t size, size_t count, void* self) noexcept {
    const size_t total = size * count;
    try {
      static_cast<StatusLine*>(self)->TakeLine(std::string_view(data, total));
    } catch (const std::bad_alloc&) {
      // The status stays as it was.
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

// Looked at by libcurl at least once a second: ends the transfer on Stop or Exit, or when
// the bytes of the last window came slower than the floor on the average rate.
class TransferWatch {
 public:
  TransferWatch(const TransferLimits& limits, const std::atomic<bool>& abort)
      : mLimits(limits), mAbort(abort), mWindowStart(limits.Time->Now()) {}

  bool KeepGoing(std::uint64_t received) {
    if (mAbort.load()) return false;
    if (mLimits.MinAverageRate == 0 || mLimits.RateWindow.count() <= 0) return true;
    const Clock::TimePoint now = mLimits.Time->Now();
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
  const TransferLimits& mLimits;
  const std::atomic<bool>& mAbort;
  Clock::TimePoint mWindowStart;
  std::uint64_t mWindowBytes = 0;
};

// Where the body goes: into the file, as fast as the transfer's share of a speed cap allows.
struct BodyTarget {
  OutputFile& File;
  TransferRate& Rate;
  const Clock& Time;
  CURL* Curl = nullptr;  // for the body's announced length
};

size_t WriteBody(char* data, size_t size, size_t count, void* target) {
  auto& body = *static_cast<BodyTarget*>(target);
  const size_t total = size * count;
  // libcurl hands the same bytes again once the pool resumes the transfer.
  if (!body.Rate.Take(total, body.Time.Now())) return CURL_WRITEFUNC_PAUSE;
  curl_off_t expected = -1;
  if (body.File.HoldsNothing() &&
      curl_easy_getinfo(body.Curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected) != CURLE_OK) {
    expected = -1;
  }
  return body.File.WriteAll(data, total, expected) ? total : 0;
}

int WatchTransfer(void* watch, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
  const auto bytes = static_cast<std::uint64_t>(received < 0 ? 0 : received);
  return static_cast<TransferWatch*>(watch)->KeepGoing(bytes) ? 0 : 1;
}

struct TransferParts {
  BodyTarget& Body;
  TransferWatch& Watch;
  RedirectGuard& Guard;
  StatusLine& Status;
};

bool Configure(CURL* curl, const DownloadRequest& request, const TransferLimits& limits,
               const TransferParts& parts) {
  // Only tunes speed: a handle that refuses it still downloads.
  (void)curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kBufferSize);
  return ConfigurePictureRequest(curl, request, parts.Guard) &&
         SetCurlOption(curl, CURLOPT_CONNECTTIMEOUT_MS,
                       static_cast<long>(limits.ConnectTimeout.count())) &&
         SetCurlOption(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.TotalTime.count())) &&
         SetCurlOption(curl, CURLOPT_LOW_SPEED_LIMIT, 1L) &&
         SetCurlOption(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.StallTime.count())) &&
         SetCurlOption(curl, CURLOPT_MAXFILESIZE_LARGE,
                       static_cast<curl_off_t>(limits.MaxBodyBytes)) &&
         SetCurlOption(curl, CURLOPT_WRITEFUNCTION, &WriteBody) &&
         SetCurlOption(curl, CURLOPT_WRITEDATA, static_cast<void*>(&parts.Body)) &&
         SetCurlOption(curl, CURLOPT_HEADERFUNCTION, &StatusLine::Take) &&
         SetCurlOption(curl, CURLOPT_HEADERDATA, static_cast<void*>(&parts.Status)) &&
         SetCurlOption(curl, CURLOPT_FILETIME, request.ServerDate ? 1L : 0L) &&
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

// Why a finished transfer left no picture worth keeping; "" when it did. responseOk: the
// response's own outcome, when complete.
std::string WhyNoPicture(long status, bool complete, bool responseOk, const std::string& statusText,
                         const std::string& head) {
  if (status != 0 && (status < 200 || status >= 300)) {
    return statusText.empty() ? StatusText(status) : statusText;
  }
  if (!complete) return "download failed";
  if (!responseOk) return statusText.empty() ? StatusText(status) : statusText;
  return SniffPictureFormat(head) == PictureFormat::Unknown ? "not a picture" : "";
}

// The response's Last-Modified as libcurl read it, -1 for none.
std::int64_t FileTimeOf(CURL* curl) {
  curl_off_t fileTime = -1;
  if (curl_easy_getinfo(curl, CURLINFO_FILETIME_T, &fileTime) != CURLE_OK) return -1;
  return fileTime;
}

FetchResult FailedFetch(std::string reason) {
  FetchResult failed;
  failed.Reason = std::move(reason);
  return failed;
}

}  // namespace

struct PictureTransfer::Parts {
  Parts(const std::string& path, const TransferLimits& limits, const std::atomic<bool>& abort,
        TransferRate& rate)
      : File(path, limits.MaxBodyBytes), Body{File, rate, *limits.Time}, Watch(limits, abort) {}

  OutputFile File;
  BodyTarget Body;
  TransferWatch Watch;
  RedirectGuard Guard;
  StatusLine Status;
  // What Finish read from the handle for Settle.
  std::optional<CURLcode> Code;
  long StatusCode = 0;
  std::int64_t FileTime = -1;
};

PictureTransfer::PictureTransfer(DownloadRequest request, const TransferLimits& limits,
                                 const std::atomic<bool>& abort)
    : mRequest(std::move(request)), mLimits(limits), mAbort(abort) {}

PictureTransfer::~PictureTransfer() = default;

bool PictureTransfer::Prepare(CURL* curl) {
  if (!MayReplace(mRequest.SavePath)) {
    mResult = FailedFetch("could not create the file");
    return false;
  }
  // Checked before anything is asked of the server; the file itself is made with the body.
  if (!FolderTakesFiles(mRequest.SavePath)) {
    mResult = FailedFetch("could not create the file");
    return false;
  }
  mParts = std::make_unique<Parts>(mRequest.SavePath, mLimits, mAbort, mRate);
  if (curl == nullptr || !Configure(curl, mRequest, mLimits,
                                    {mParts->Body, mParts->Watch, mParts->Guard, mParts->Status})) {
    mParts.reset();
    mResult = FailedFetch("could not start");
    if (mRequest.KeepOnlyRealPictures) mResult.RemovedBecause = "download failed";
    return false;
  }
  mParts->Body.Curl = curl;
  return true;
}

void PictureTransfer::Finish(CURL* curl, CURLcode code) {
  if (!mParts) return;
  Parts& parts = *mParts;
  parts.Code = code;
  static_cast<FetchOutcome&>(mResult) =
      code == CURLE_OK ? ResponseOutcome(curl)
                       : TransferFailure(code, mAbort.load(), FailureFactsOf(curl));
  // A chain that failed, or led to an address refused, shows where it started.
  if (mRequest.FollowRedirects && code == CURLE_OK) mResult.FinalUrl = FinalUrlOf(curl);
  parts.StatusCode = StatusCode(curl);
  if (mRequest.ServerDate) parts.FileTime = FileTimeOf(curl);
  if (parts.File.CreateFailed()) mResult = FailedFetch("could not create the file");
}

void PictureTransfer::Settle() {
  if (!mParts || !mParts->Code) return;
  // The partial file goes with the parts unless it is kept below.
  const std::unique_ptr<Parts> parts = std::move(mParts);
  const CURLcode code = *parts->Code;
  FetchResult& fetched = mResult;
  const bool tooLarge = code == CURLE_FILESIZE_EXCEEDED || parts->File.Overflowed();
  // Before the file can take the picture's name: no picture ever appears without them.
  if (code == CURLE_OK && !tooLarge) {
    // An empty body is an empty file.
    if (!parts->File.Create()) {
      fetched = FailedFetch("could not create the file");
      return;
    }
    // Written before its date is set, which a later write would change.
    if (!parts->File.Flush()) {
      fetched = FailedFetch("could not write the file");
      return;
    }
    const int fd = parts->File.Fd();
    WriteOriginAttributes(fd, fetched.FinalUrl.empty() ? mRequest.Url : fetched.FinalUrl,
                          mRequest.Page);
    if (mRequest.ServerDate) {
      if (const auto date = ServerDateOf(parts->FileTime, mLimits.Calendar->Now())) {
        (void)SetModificationTime(fd, *date);  // the download's own date is no harm
      }
    }
  }
  const bool closed = parts->File.Close();
  if (tooLarge) {
    fetched = FailedFetch("too large");
    return;
  }
  // Only a whole response reaches the picture's name: what a cut transfer (by the server,
  // Stop or Exit) brought goes with the partial file, and Resume fetches it again.
  const bool whole = code == CURLE_OK && closed;
  if (mRequest.KeepOnlyRealPictures && !mAbort.load()) {
    fetched.RemovedBecause = WhyNoPicture(parts->StatusCode, whole, fetched.Ok,
                                          parts->Status.Text(), parts->File.Head());
    if (!fetched.RemovedBecause.empty()) {
      if (fetched.Ok)
        static_cast<FetchOutcome&>(fetched) = {false, fetched.RemovedBecause, false, {}};
      return;
    }
  }
  // An error page stays too: without KeepOnlyRealPictures its body is what the server sent
  // for the picture.
  if (code != CURLE_OK) return;
  if (!closed || !parts->File.Keep(mRequest.SavePath)) {
    if (fetched.Ok) fetched = FailedFetch("could not write the file");
  }
}

}  // namespace vexilo
