#pragma once
// TDownloadThead (so spelled: it is the name the system has always given this class): one
// picture's download, from its transfer to its report. The download pool runs its steps on
// its own threads (DownloadPool); the picture's report runs on the main thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "downloader/DownloadRequest.h"
#include "downloader/HttpFetch.h"
#include "pictures/Bitmap24.h"

namespace vexilo {

// What becomes of a picture downloaded successfully: its thumbnail is made off the main
// thread, which decodes it anyway, so the main thread only adds a ready thumbnail. A hook may
// raise std::bad_alloc, MakeThumbnail also PictureError: the step is then left out.
struct MadeThumbnail {
  MadeThumbnail(std::optional<Bitmap24> thumbnail = std::nullopt)  // NOLINT: a plain thumbnail
      : Thumbnail(std::move(thumbnail)) {}

  std::optional<Bitmap24> Thumbnail;  // nothing: the picture is not shown
  // Set when the decode showed the picture to be removed again (a smaller copy of one kept):
  // its file is gone, and the text is its status.
  std::string RemovedBecause{};
  // A smaller copy of the same picture whose file was removed for this one: the picture takes
  // its place in the grid.
  std::string ReplacedPath{};
};

struct PictureHooks {
  // Pool thread: the grid's thumbnail of the saved file, or nothing when it is no picture
  // that can be read (then nothing is appended).
  std::function<MadeThumbnail(const std::string& savedPath)> MakeThumbnail;
  // Main thread.
  std::function<void(const std::string& savedPath, const Bitmap24& thumbnail)> AppendPicture;
  // Pool thread, before MakeThumbnail: "" keeps the saved file; any other text says why it
  // was removed again, which becomes its status.
  std::function<std::string(const std::string& savedPath)> CheckPicture;
  // Main thread: the picture's status in the picture list ("downloading", "done", "failed:
  // 404 Not Found", "duplicate", ...). queuePosition is its entry in the download queue, or
  // -1 for one handed out again (cut off or failed before).
  std::function<void(std::int64_t queuePosition, const std::string& savedPath,
                     const std::string& status)>
      MarkPicture;
  // Main thread, before the picture is appended or marked: the address a followed
  // redirection ended at.
  std::function<void(const std::string& savedPath, const std::string& finalUrl)> ShowFinalAddress;
  // Main thread, when the task's downloads are complete: a note about its pictures that the
  // progress panel shows after the completed text, or "".
  std::function<std::string()> CompletedNote{};
  // Main thread, in place of AppendPicture for a picture that replaced a smaller copy.
  std::function<void(const std::string& replacedPath, const std::string& savedPath,
                     const Bitmap24& thumbnail)>
      ReplacePicture{};
};

// How a picture's download ended.
struct DownloadResult {
  FetchResult Fetch;
  std::string RemovedBecause;  // "" unless a check removed the downloaded file again
  std::string ReplacedPath{};  // the smaller copy this picture replaced, or ""
};

class TDownloadThead {
 public:
  // limits and abort must outlive the download; abort set means shut-down.
  TDownloadThead(std::uint64_t id, DownloadRequest request, const TransferLimits& limits,
                 const std::atomic<bool>& abort);

  std::uint64_t Id() const { return mId; }
  // The transfer thread's part.
  PictureTransfer& Transfer() { return mTransfer; }
  // Pool thread, once the transfer has ended: settles its file, checks a picture that arrived
  // well and makes its thumbnail; neither of the last two is started at shut-down.
  void Complete(const PictureHooks& pictures);
  // Main thread: shows the final address and appends the picture when it has a thumbnail.
  void Report(const PictureHooks& pictures);
  const DownloadResult& Result() const { return mResult; }

 private:
  std::uint64_t mId;
  const std::atomic<bool>& mAbort;
  PictureTransfer mTransfer;
  DownloadResult mResult;
  std::optional<Bitmap24> mThumbnail;
};

}  // namespace vexilo
