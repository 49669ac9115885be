#pragma once
// Picture harvesting: the picture addresses of a loaded page, filtered by the task and
// queued for download with their save paths and a picture list row each. Main thread only.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/AdvancedSettings.h"
#include "core/PictureEntry.h"
#include "core/PictureSizeProbe.h"
#include "core/RobotsCheck.h"
#include "core/RunState.h"
#include "core/TaskRecord.h"
#include "crawler/CrawlHooks.h"
#include "crawler/CrawlIndexes.h"
#include "crawler/PageBrowser.h"
#include "crawler/SavePaths.h"

namespace vexilo {

// The host that marks a link as a result of the image search engine; its links carry the
// picture's size in "w=" and "h=".
inline constexpr std::string_view kImageSearchHost = "images.google.com";

// The text of link between the first cutFrom and the first cutTo (both found ignoring
// case); the whole link when either marker is empty. Empty when cutTo does not come after.
std::string CutLink(std::string_view link, std::string_view cutFrom, std::string_view cutTo);
// Every "%2520" (a space encoded twice) made "%20".
std::string WithSpacesDecodedOnce(std::string_view address);

class PictureHarvester {
 public:
  // Every reference must outlive the harvester. sizeProbe (may be null: the real-size filter
  // then stays off) reads the real sizes, waiting through keepWaiting.
  PictureHarvester(const TaskRecord& task, CrawlIndexes& indexes,
                   std::vector<PictureEntry>& pictureRows, const RunState& run, CrawlHooks& hooks,
                   const AdvancedSettings& options = AdvancedSettings::Defaults(),
                   PictureSizeProbe* sizeProbe = nullptr,
                   PictureSizeProbe::KeepWaiting keepWaiting = {});

  // With AdvancedSettings::CrawlPolitely, pictures robots asks (null: none) forbids are not
  // queued or listed; robots must outlive the harvester.
  void SetRobots(RobotsCheck* robots) { mRobots = robots; }
  // Called at every crawl start with the folder the pictures go into.
  void StartCrawl(std::string taskFolder);
  // Link mode for an advanced task that grabs from links, image mode otherwise. Leaves off
  // before the next element once stop is requested. Each picture queued and each row keep
  // pageAddress, the page the document was read from.
  void HarvestPictures(const PageDocument& document, const std::string& pageAddress = "");
  void QueuePicture(const std::string& address);
  std::string MakeSavePath(std::string_view address);
  // For a loaded queue entry that lost its save path: the file the task already has for the
  // address when one is there and no other entry names it, else MakeSavePath.
  std::string RecoverSavePath(std::string_view address);

 private:
  void HarvestImages(const PageDocument& document);
  // An image element (or a picture the page asked for) and the address harvested for it: its
  // href, or with browser pictures on the address a browser would show.
  struct Candidate {
    const PageImage* Image;
    std::string Href;
  };
  std::vector<Candidate> CandidatesOf(const PageDocument& document) const;
  // Image mode with the real-size filter: the page's candidates are collected, their sizes
  // read together, and then they are queued or dropped in document order.
  void HarvestImagesByRealSize(const std::vector<Candidate>& candidates,
                               const std::string& lowerFilter);
  bool FiltersByRealSize() const;
  bool FitsMinimumSize(int width, int height) const;
  // The address to queue for an image's href, nullopt when the task's rules skip it or it is
  // already queued. lowerFilter is empty when the task filters nothing.
  std::optional<std::string> AcceptedAddress(const std::string& href,
                                             const std::string& lowerFilter) const;
  void HarvestLinkPictures(const PageDocument& document);
  bool RobotsAllow(const std::string& address) const;
  void AddRow(PictureEntry row);

  const TaskRecord& mTask;
  const AdvancedSettings& mOptions;
  CrawlIndexes& mIndexes;
  std::vector<PictureEntry>& mPictureRows;
  const RunState& mRun;
  CrawlHooks& mHooks;
  PictureSizeProbe* mSizeProbe;
  RobotsCheck* mRobots = nullptr;
  PictureSizeProbe::KeepWaiting mKeepWaiting;
  std::string mTaskFolder;
  std::string mPageAddress;  // of the page being harvested
  SaveNumbers mSaveNumbers;
};

}  // namespace vexilo
