#include "downloader/HeaderSizeProbe.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <string_view>
#include <system_error>
#include <utility>

#include "core/PictureHeader.h"
#include "downloader/CurlMulti.h"
#include "downloader/CurlRequest.h"
#include "downloader/PictureRequest.h"

namespace vexilo {

// Shared by the main thread and the worker; the worker writes Sizes before it sets Done.
struct ProbeBatch {
  std::vector<DownloadRequest> Requests;
  ProbeLimits Limits;
  std::vector<std::optional<PictureDimensions>> Sizes;
  std::atomic<bool> Done{false};
  std::atomic<bool> Cancelled{false};
};

namespace {

// How often the worker looks at the cancel flag while its transfers wait.
constexpr std::chrono::milliseconds kPoll{100};

// One candidate's transfer: reads until the header gives the size, the bytes are not a
// picture, or the byte cap is reached, and then ends the transfer from the write callback.
class HeaderRead {
 public:
  explicit HeaderRead(std::size_t maxBytes) : mMaxBytes(maxBytes) {}
  void Attach(CURL* curl) { mCurl = curl; }

  std::optional<PictureDimensions> Size() const { return mSize; }
  RedirectGuard& Guard() { return mGuard; }

  // No exception may cross libcurl: one that is no lack of memory ends the program.
  static size_t Write(char* data, size_t size, size_t count, void* self) noexcept {
    try {
      return static_cast<HeaderRead*>(self)->Take(std::string_view(data, size * count))
                 ? size * count
                 : 0;
    } catch (const std::bad_alloc&) {
      return 0;
    }
  }

 private:
  // False ends the transfer.
  bool Take(std::string_view data) {
    if (mBytes.empty() && !IsUsableAnswer()) return false;
    mBytes.append(data.substr(0, mMaxBytes - mBytes.size()));
    mSize = ReadPictureDimensions(mBytes);
    if (mSize || mBytes.size() >= mMaxBytes) return false;
    // As many bytes as every kind's signature fits in that name none are no picture.
    return !(mBytes.size() >= kSignatureBytes &&
             SniffPictureFormat(mBytes) == PictureFormat::Unknown);
  }

  // The whole picture, or a part of it that starts at its first byte.
  bool IsUsableAnswer() const {
    long status = 0;
    if (curl_easy_getinfo(mCurl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) return false;
    if (status == 200) return true;
    if (status != 206) return false;
    curl_header* range = nullptr;
    return curl_easy_header(mCurl, "Content-Range", 0, CURLH_HEADER, -1, &range) == CURLHE_OK &&
           std::string_view(range->value).starts_with("bytes 0-");
  }

  CURL* mCurl = nullptr;
  RedirectGuard mGuard;
  std::size_t mMaxBytes;
  std::string mBytes;
  std::optional<PictureDimensions> mSize;
};

struct Transfer {
  std::size_t Index;
  CURL* Curl;
  std::unique_ptr<HeaderRead> Read;
};

bool ConfigureProbe(CURL* curl, const DownloadRequest& request, const ProbeLimits& limits,
                    const std::string& range, HeaderRead& read) {
  return ConfigurePictureRequest(curl, request, read.Guard()) &&
         SetCurlOption(curl, CURLOPT_RANGE, range.c_str()) &&
         SetCurlOption(curl, CURLOPT_CONNECTTIMEOUT_MS,
                       static_cast<long>(limits.ConnectTimeout.count())) &&
         SetCurlOption(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.TotalTime.count())) &&
         SetCurlOption(curl, CURLOPT_WRITEFUNCTION, &HeaderRead::Write) &&
         SetCurlOption(curl, CURLOPT_WRITEDATA, static_cast<void*>(&read));
}

// The worker's side of a batch: at most MostAtOnce transfers at a time until every request is
// answered or the batch is cancelled. An address that cannot be asked for stays unknown.
// Raises std::bad_alloc.
class BatchRun {
 public:
  explicit BatchRun(ProbeBatch& batch)
      : mBatch(batch),
        mRange("0-" + std::to_string(batch.Limits.MaxBytes - 1)),
        mMostAtOnce(std::min(batch.Limits.MostAtOnce, batch.Requests.size())) {
    // Never grows past this, so that tracking a started transfer cannot fail.
    mRunning.reserve(mMostAtOnce);
  }
  ~BatchRun() {
    for (Transfer& transfer : mRunning) {
      mMulti.Remove(transfer.Curl);
      curl_easy_cleanup(transfer.Curl);
    }
  }
  BatchRun(const BatchRun&) = delete;
  BatchRun& operator=(const BatchRun&) = delete;

  void Run() {
    StartMore();
    while (!mRunning.empty() && !mBatch.Cancelled.load()) {
      if (!mMulti.Perform()) return;
      while (const std::optional<CurlMulti::Done> done = mMulti.NextDone()) Finish(done->Easy);
      StartMore();
      if (!mRunning.empty()) mMulti.Poll(kPoll);
    }
  }

 private:
  void StartMore() {
    for (; mNext < mBatch.Requests.size() && mRunning.size() < mMostAtOnce; ++mNext) {
      Transfer transfer{mNext, nullptr, std::make_unique<HeaderRead>(mBatch.Limits.MaxBytes)};
      transfer.Curl = curl_easy_init();
      if (transfer.Curl == nullptr) continue;
      transfer.Read->Attach(transfer.Curl);
      if (!ConfigureProbe(transfer.Curl, mBatch.Requests[mNext], mBatch.Limits, mRange,
                          *transfer.Read) ||
          !mMulti.Add(transfer.Curl)) {
        curl_easy_cleanup(transfer.Curl);
        continue;
      }
      mRunning.push_back(std::move(transfer));
    }
  }

  // curl has left the multi handle.
  void Finish(CURL* curl) {
    auto done = std::find_if(mRunning.begin(), mRunning.end(),
                             [curl](const Transfer& transfer) { return transfer.Curl == curl; });
    if (done != mRunning.end()) {
      mBatch.Sizes[done->Index] = done->Read->Size();
      mRunning.erase(done);
    }
    curl_easy_cleanup(curl);
  }

  ProbeBatch& mBatch;
  CurlMulti mMulti;
  const std::string mRange;
  const std::size_t mMostAtOnce;
  std::vector<Transfer> mRunning;
  std::size_t mNext = 0;
};

}  // namespace

HeaderSizeProbe::HeaderSizeProbe(const AppSettings& settings, const TaskRecord& task,
                                 ProbeLimits limits)
    : mSettings(settings), mTask(task), mLimits(limits) {}

HeaderSizeProbe::~HeaderSizeProbe() { FinishAbandoned(); }

void HeaderSizeProbe::FinishAbandoned() {
  if (mAbandoned.joinable()) mAbandoned.join();
}

std::vector<std::optional<PictureDimensions>> HeaderSizeProbe::ReadSizes(
    const std::vector<std::string>& addresses, const std::string& page,
    const KeepWaiting& keepWaiting) {
  FinishAbandoned();
  auto batch = std::make_shared<ProbeBatch>();
  batch->Limits = mLimits;
  batch->Sizes.resize(addresses.size());
  for (const std::string& address : addresses) {
    batch->Requests.push_back(
        PictureRequest(mSettings, mSession, mTask.StartUrl, address, page, ""));
  }
  std::thread worker;
  try {
    worker = std::thread([batch] {
      try {
        BatchRun(*batch).Run();
      } catch (const std::bad_alloc&) {
        // What was read stands, the rest stays unknown.
      }
      batch->Done.store(true);
    });
  } catch (const std::system_error&) {
    return std::vector<std::optional<PictureDimensions>>(addresses.size());  // no thread to spare
  }
  while (!batch->Done.load()) {
    if (!keepWaiting()) {
      batch->Cancelled.store(true);
      mAbandoned = std::move(worker);
      return std::vector<std::optional<PictureDimensions>>(addresses.size());
    }
  }
  worker.join();
  return std::move(batch->Sizes);
}

}  // namespace vexilo
