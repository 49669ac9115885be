#pragma once
// The working state of a crawl: the level lists, the picture download queue and the
// resume point. One instance for the run, owned by the main window. Main thread only.

#include <cstdint>
#include <string>
#include <vector>

namespace vexilo {

// A picture queued for download. SavePath is empty only between loading a state whose
// savedname.dat was short and the crawl start that gives it one.
struct QueuedPicture {
  std::string Url;
  std::string SavePath;
  std::string Page{};  // the page it was found on: sent as Referer with the browser's session

  bool operator==(const QueuedPicture&) const = default;
};

// A picture whose download failed for good, and why ("404 Not Found", "timed out").
struct FailedPicture {
  std::string Url;
  std::string SavePath;
  std::string Reason;

  bool operator==(const FailedPicture&) const = default;
};

struct CrawlState {
  std::vector<std::string> WantUrls;     // the level being crawled, in visiting order
  std::vector<std::string> TempUrls;     // gathered for the next level
  std::vector<std::string> VisitedUrls;  // every address that has been on a level list
  std::vector<QueuedPicture> Queue;      // the download queue, in harvest order
  std::int32_t CrawlLevel = 1;           // from 1
  std::int32_t CrawlIndex = 1;           // 1-based position in WantUrls
  std::int32_t DispatchedCount = 0;      // pictures handed out = position of the next one
  // Handed out, but cut off by shut-down before they finished: fetched again first, into the
  // same save paths. DispatchedCount still counts them.
  std::vector<QueuedPicture> CutOff;
  // Handed out and failed, kept so that Resume can offer to fetch them again.
  std::vector<FailedPicture> Failed;
  // Downloaded and removed again by a check ("duplicate", "too small"): not fetched again.
  std::vector<FailedPicture> Removed;

  bool operator==(const CrawlState&) const = default;
};

}  // namespace vexilo
