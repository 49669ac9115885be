#pragma once
// Hash sets kept beside the lists of CrawlState so that the duplicate tests of link and
// picture harvesting do not scan the lists. Every append the crawl makes to those lists goes
// through here; after the lists are set or loaded as a whole, Rebuild. Main thread only.

#include <cstddef>
#include <string>
#include <unordered_set>

#include "core/CrawlState.h"

namespace vexilo {

class CrawlIndexes {
 public:
  explicit CrawlIndexes(CrawlState& state);
  CrawlIndexes(const CrawlIndexes&) = delete;
  CrawlIndexes& operator=(const CrawlIndexes&) = delete;

  void Rebuild();

  // Exactly equal to an entry of TempUrls or VisitedUrls.
  bool IsGathered(const std::string& link) const;
  void AppendTempUrl(const std::string& link);
  // WantUrls := TempUrls; TempUrls appended to VisitedUrls. TempUrls stays as it is.
  void PromoteTempUrls();
  void ClearTempUrls();

  // Exactly equal to the address of a queued picture.
  bool HasPicture(const std::string& address) const;
  // The trimmed address equals the trimmed address of a queued picture.
  bool HasTrimmedPicture(const std::string& address) const;
  bool IsSavePathQueued(const std::string& path) const;
  void AppendPicture(const std::string& address, const std::string& savePath,
                     const std::string& page = "");
  // Addresses the task had before, taken as queued until the next Rebuild.
  void AddKnownPictures(const std::unordered_set<std::string>& addresses);
  // Exactly equal to one of those addresses.
  bool IsKnownPicture(const std::string& address) const { return mKnown.contains(address); }
  // Gives queued picture index (which has none) its save path.
  void SetSavePath(std::size_t index, const std::string& savePath);

 private:
  CrawlState& mState;
  std::unordered_set<std::string> mTemp;
  std::unordered_set<std::string> mVisited;
  std::unordered_set<std::string> mPictures;
  std::unordered_set<std::string> mTrimmedPictures;
  std::unordered_set<std::string> mSavePaths;
  std::unordered_set<std::string> mKnown;
};

}  // namespace vexilo
