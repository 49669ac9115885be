#include "crawler/PictureHarvester.h"

#include <utility>

#include "core/TextRules.h"
#include "core/UrlUtils.h"
#include "crawler/PictureChoice.h"
#include "crawler/SavePaths.h"

namespace vexilo {
namespace {

// The text of link from the first key up to the next "&" after it, searched in lowerLink;
// empty when either is missing.
std::string SearchResultValue(std::string_view link, std::string_view lowerLink,
                              std::string_view key) {
  size_t start = lowerLink.find(key);
  if (start == std::string_view::npos) return "";
  start += key.size();
  size_t end = lowerLink.find('&', start);
  if (end == std::string_view::npos) return "";
  return std::string(link.substr(start, end - start));
}

bool HasScheme(std::string_view lowerAddress) {
  // An https address must not get "http://" put in front of it.
  return Contains(lowerAddress, "http://") || Contains(lowerAddress, "https://");
}

}  // namespace

std::string CutLink(std::string_view link, std::string_view cutFrom, std::string_view cutTo) {
  if (cutFrom.empty() || cutTo.empty()) return std::string(link);
  std::string lowerLink = LowerAscii(link);
  // Positions from 1, 0 when absent, as the marker rule counts them.
  auto position = [&](std::string_view marker) -> long long {
    size_t found = lowerLink.find(LowerAscii(marker));
    return found == std::string::npos ? 0 : static_cast<long long>(found) + 1;
  };
  long long a = position(cutFrom);
  long long b = position(cutTo);
  long long f = static_cast<long long>(cutFrom.size());
  long long count = b - a - f;
  size_t start = static_cast<size_t>(a + f - 1);
  if (count <= 0 || start >= link.size()) return "";
  return std::string(link.substr(start, static_cast<size_t>(count)));
}

std::string WithSpacesDecodedOnce(std::string_view address) {
  static constexpr std::string_view kTwice = "%2520";
  std::string result;
  result.reserve(address.size());
  size_t from = 0;
  for (size_t at = address.find(kTwice); at != std::string_view::npos;
       at = address.find(kTwice, from)) {
    result.append(address.substr(from, at - from)).append("%20");
    from = at + kTwice.size();
  }
  result.append(address.substr(from));
  return result;
}

PictureHarvester::PictureHarvester(const TaskRecord& task, CrawlIndexes& indexes,
                                   std::vector<PictureEntry>& pictureRows, const RunFlags& flags,
                                   CrawlHooks& hooks, const AdvancedSettings& options)
    : mTask(task),
      mOptions(options),
      mIndexes(indexes),
      mPictureRows(pictureRows),
      mFlags(flags),
      mHooks(hooks) {}

void PictureHarvester::StartCrawl(std::string taskFolder) {
  mTaskFolder = std::move(taskFolder);
  mSaveNumbers.clear();
}

void PictureHarvester::HarvestPictures(const PageDocument& document) {
  if (mTask.TaskType == kAdvancedTaskType && mTask.GrabFromLinks == kYes) {
    HarvestLinkPictures(document);
  } else {
    HarvestImages(document);
  }
}

void PictureHarvester::QueuePicture(const std::string& address) {
  mIndexes.AppendPicture(address, MakeSavePath(address));
}

std::string PictureHarvester::MakeSavePath(std::string_view address) {
  return vexilo::MakeSavePath(
      mTaskFolder, address,
      [this](const std::string& path) { return mIndexes.IsSavePathQueued(path); }, mSaveNumbers,
      mOptions.ListModernPictures);
}

void PictureHarvester::HarvestImages(const PageDocument& document) {
  if (!mOptions.BrowserPictures) {
    for (const PageImage& image : document.Images) {
      if (!HarvestImage(image, image.Href)) return;
    }
    return;
  }
  const PictureChoice choice(document);
  for (const std::vector<PageImage>* list : {&document.Images, &document.ExtraImages}) {
    for (const PageImage& image : *list) {
      const std::string address = choice.AddressOf(image);
      if (!address.empty() && !HarvestImage(image, address)) return;
    }
  }
}

bool PictureHarvester::HarvestImage(const PageImage& image, const std::string& href) {
  if (mFlags.StopRequested) return false;
  if (mTask.MinWidth > 0 && image.Width < mTask.MinWidth) return true;
  if (mTask.MinHeight > 0 && image.Height < mTask.MinHeight) return true;
  const bool filtered = mTask.TaskType == kAdvancedTaskType && !mTask.DownloadUrlFilter.empty();
  std::string lowerHref = LowerAscii(href);
  if (!Contains(lowerHref, "http")) return true;
  if (filtered && !Contains(lowerHref, LowerAscii(mTask.DownloadUrlFilter))) return true;
  std::string address = WithSpacesDecodedOnce(href);
  if (mIndexes.HasTrimmedPicture(address)) return true;
  QueuePicture(address);
  AddRow({FileNameOf(address), href, std::to_string(image.Width), std::to_string(image.Height)});
  return true;
}

void PictureHarvester::HarvestLinkPictures(const PageDocument& document) {
  const std::string lowerFilter = LowerAscii(mTask.DownloadUrlFilter);
  for (const std::string& link : document.Links) {
    if (mFlags.StopRequested) return;
    std::string lowerLink = LowerAscii(link);
    if (!lowerFilter.empty() && !Contains(lowerLink, lowerFilter)) continue;
    std::string cut = WithSpacesDecodedOnce(CutLink(link, mTask.LinkCutFrom, mTask.LinkCutTo));
    if (cut.empty()) continue;
    std::string address = HasScheme(LowerAscii(cut)) ? cut : "http://" + cut;
    if (mIndexes.HasPicture(address)) continue;
    QueuePicture(address);
    PictureEntry row{FileNameOf(cut), cut, "", ""};
    if (Contains(lowerLink, kImageSearchHost)) {
      row.Width = SearchResultValue(link, lowerLink, "w=");
      row.Height = SearchResultValue(link, lowerLink, "h=");
    }
    AddRow(std::move(row));
  }
}

void PictureHarvester::AddRow(PictureEntry row) {
  mPictureRows.push_back(std::move(row));
  mHooks.PictureRowAdded(mPictureRows.back());
}

}  // namespace vexilo
