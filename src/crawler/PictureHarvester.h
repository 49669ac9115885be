#pragma once
// Picture harvesting: the picture addresses of a loaded page, filtered by the task and
// queued for download with their save paths and a picture list row each. Main thread only.

#include <string>
#include <string_view>
#include <vector>

#include "core/AdvancedSettings.h"
#include "core/PictureEntry.h"
#include "core/RunFlags.h"
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
  // Every reference must outlive the harvester.
  PictureHarvester(const TaskRecord& task, CrawlIndexes& indexes,
                   std::vector<PictureEntry>& pictureRows, const RunFlags& flags, CrawlHooks& hooks,
                   const AdvancedSettings& options = AdvancedSettings::Defaults());

  // Called at every crawl start with the folder the pictures go into.
  void StartCrawl(std::string taskFolder);
  // Link mode for an advanced task that grabs from links, image mode otherwise. Leaves off
  // before the next element once stop is requested.
  void HarvestPictures(const PageDocument& document);
  void QueuePicture(const std::string& address);
  std::string MakeSavePath(std::string_view address);

 private:
  void HarvestImages(const PageDocument& document);
  // The image rules for one element whose picture is at href; false once stop is requested.
  bool HarvestImage(const PageImage& image, const std::string& href);
  void HarvestLinkPictures(const PageDocument& document);
  void AddRow(PictureEntry row);

  const TaskRecord& mTask;
  const AdvancedSettings& mOptions;
  CrawlIndexes& mIndexes;
  std::vector<PictureEntry>& mPictureRows;
  const RunFlags& mFlags;
  CrawlHooks& mHooks;
  std::string mTaskFolder;
  SaveNumbers mSaveNumbers;
};

}  // namespace vexilo
