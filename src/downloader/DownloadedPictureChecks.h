#pragma once
// What a finished download must pass before it is shown, by the advanced options: a picture
// whose header gives a size below the task's minimum (when the real size counts), or whose
// bytes equal one already downloaded in the task, is removed again. One object per start of
// a task's downloads; any thread.

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vexilo {

struct PictureCheckRules {
  bool KeepOneCopy = false;
  // With RealSizeFilter, a picture narrower than MinWidth or lower than MinHeight (each
  // counted when above 0) by its header goes; one whose header cannot be read stays.
  bool RealSizeFilter = false;
  int MinWidth = 0;
  int MinHeight = 0;
};

class DownloadedPictureChecks {
 public:
  // earlierPictures: the task's pictures downloaded before this start, which a new one may
  // repeat. They are read at the first check, not here. A picture whose content is one of
  // knownContents (ContentHashOf) goes as a duplicate whatever the rules, even when the file
  // it came from is gone.
  DownloadedPictureChecks(PictureCheckRules rules, std::vector<std::string> earlierPictures,
                          std::unordered_set<std::uint64_t> knownContents = {});

  // "" keeps the picture. Otherwise its file has been removed, and the text says why
  // ("too small", "duplicate"). A file that cannot be read is kept: showing it is the grid's
  // business.
  std::string Check(const std::string& savedPath);

 private:
  bool TooSmall(const std::string& path) const;
  bool Known(const std::string& path) const;
  // With mLock held: true when the file repeats one seen before; otherwise it is remembered.
  bool SeenBefore(const std::string& path);

  const PictureCheckRules mRules;
  std::mutex mLock;
  std::vector<std::string> mEarlierPictures;                  // emptied once read
  std::unordered_multimap<std::uint64_t, std::string> mSeen;  // content hash, file
  const std::unordered_set<std::uint64_t> mKnownContents;
};

}  // namespace vexilo
