#include "downloader/HeaderSizeProbe.h"

#include <curl/curl.h>

#include <atomic>
#include <string_view>
#include <system_error>
#include <utility>

#include "downloader/CurlRequest.h"

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
constexpr int kPollMilliseconds = 100;
// Fewer bytes than this that name no picture kind are no picture.
constexpr std::size_t kSignatureBytes = 32;

// One candidate's transfer: reads until the header gives the size, the bytes are not a
// picture, or the byte cap is reached, and then ends the transfer from the write callback.
class HeaderRead {
 public:
  HeaderRead(CURL* curl, std::size_t maxBytes) : mCurl(curl), mMaxBytes(maxBytes) {}

  std::optional<PictureDimensions> Size() const { return mSize; }

  static size_t Write(char* data, size_t size, size_t count, void* self) {
    return static_cast<HeaderRead*>(self)->Take(std::string_view(data, size * count)) ? size * count
                                                                                      : 0;
  }

 private:
  // False ends the transfer.
  bool Take(std::string_view data) {
    if (mBytes.empty() && !IsUsableAnswer()) return false;
    mBytes.append(data.substr(0, mMaxBytes - mBytes.size()));
    mSize = ReadPictureDimensions(mBytes);
    if (mSize || mBytes.size() >= mMaxBytes) return false;
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

  CURL* mCurl;
  std::size_t mMaxBytes;
  std::string mBytes;
  std::optional<PictureDimensions> mSize;
};

struct Transfer {
  std::size_t Index;
  CURL* Curl;
  std::unique_ptr<HeaderRead> Read;
};

template <typename Value>
bool Set(CURL* curl, CURLoption option, Value value) {
  return curl_easy_setopt(curl, option, value) == CURLE_OK;
}

bool ConfigureProbe(CURL* curl, const DownloadRequest& request, const ProbeLimits& limits,
                    const std::string& range, HeaderRead& read) {
  return ConfigurePictureRequest(curl, request) && Set(curl, CURLOPT_RANGE, range.c_str()) &&
         Set(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.ConnectTimeout.count())) &&
         Set(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.TotalTime.count())) &&
         Set(curl, CURLOPT_WRITEFUNCTION, &HeaderRead::Write) &&
         Set(curl, CURLOPT_WRITEDATA, static_cast<void*>(&read));
}

// The worker: at most MostAtOnce transfers at a time until every request is answered or
// the batch is cancelled. An address that cannot be asked for stays unknown.
void RunBatch(ProbeBatch& batch) {
  InitCurlOnce();
  CURLM* multi = curl_multi_init();
  if (multi == nullptr) return;
  const std::string range = "0-" + std::to_string(batch.Limits.MaxBytes - 1);
  std::vector<Transfer> running;
  std::size_t next = 0;
  auto startMore = [&] {
    for (; next < batch.Requests.size() && running.size() < batch.Limits.MostAtOnce; ++next) {
      CURL* curl = curl_easy_init();
      if (curl == nullptr) continue;
      auto read = std::make_unique<HeaderRead>(curl, batch.Limits.MaxBytes);
      if (!ConfigureProbe(curl, batch.Requests[next], batch.Limits, range, *read) ||
          curl_multi_add_handle(multi, curl) != CURLM_OK) {
        curl_easy_cleanup(curl);
        continue;
      }
      running.push_back({next, curl, std::move(read)});
    }
  };
  auto finish = [&](CURL* curl) {
    for (auto it = running.begin(); it != running.end(); ++it) {
      if (it->Curl != curl) continue;
      batch.Sizes[it->Index] = it->Read->Size();
      curl_multi_remove_handle(multi, curl);
      curl_easy_cleanup(curl);
      running.erase(it);
      return;
    }
  };

  startMore();
  while (!running.empty() && !batch.Cancelled.load()) {
    int stillRunning = 0;
    if (curl_multi_perform(multi, &stillRunning) != CURLM_OK) break;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg == CURLMSG_DONE) finish(message->easy_handle);
    }
    startMore();
    if (!running.empty()) curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
  }
  for (Transfer& transfer : running) {
    curl_multi_remove_handle(multi, transfer.Curl);
    curl_easy_cleanup(transfer.Curl);
  }
  curl_multi_cleanup(multi);
}

}  // namespace

HeaderSizeProbe::HeaderSizeProbe(const AppSettings& settings, ProbeLimits limits)
    : mSettings(settings), mLimits(limits) {}

HeaderSizeProbe::~HeaderSizeProbe() { FinishAbandoned(); }

void HeaderSizeProbe::FinishAbandoned() {
  if (mAbandoned.joinable()) mAbandoned.join();
}

std::vector<std::optional<PictureDimensions>> HeaderSizeProbe::ReadSizes(
    const std::vector<std::string>& addresses, const KeepWaiting& keepWaiting) {
  FinishAbandoned();
  auto batch = std::make_shared<ProbeBatch>();
  batch->Limits = mLimits;
  batch->Sizes.resize(addresses.size());
  for (const std::string& address : addresses) {
    batch->Requests.push_back({address, "", mSettings.AuthName, mSettings.AuthPass,
                               mSettings.ProxyServer, mSettings.ProxyPort});
  }
  std::thread worker;
  try {
    worker = std::thread([batch] {
      try {
        RunBatch(*batch);
      } catch (...) {
        // Out of memory: what was read stands, the rest stays unknown.
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
