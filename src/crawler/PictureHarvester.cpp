#include "crawler/PictureHarvester.h"

#include <unordered_set>
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
                                   std::vector<PictureEntry>& pictureRows, const RunState& run,
                                   CrawlHooks& hooks, const AdvancedSettings& options,
                                   PictureSizeProbe* sizeProbe,
                                   PictureSizeProbe::KeepWaiting keepWaiting)
    : mTask(task),
      mOptions(options),
      mIndexes(indexes),
      mPictureRows(pictureRows),
      mRun(run),
      mHooks(hooks),
      mSizeProbe(sizeProbe),
      mKeepWaiting(std::move(keepWaiting)) {}

void PictureHarvester::StartCrawl(std::string taskFolder) {
  mTaskFolder = std::move(taskFolder);
  mSaveNumbers.clear();
}

void PictureHarvester::HarvestPictures(const PageDocument& document,
                                       const std::string& pageAddress) {
  mPageAddress = pageAddress;
  if (mTask.TaskType == kAdvancedTaskType && mTask.GrabFromLinks == kYes) {
    HarvestLinkPictures(document);
  } else {
    HarvestImages(document);
  }
}

void PictureHarvester::QueuePicture(const std::string& address) {
  mIndexes.AppendPicture(address, MakeSavePath(address), mPageAddress);
}

std::string PictureHarvester::MakeSavePath(std::string_view address) {
  return vexilo::MakeSavePath(
      mTaskFolder, address,
      [this](const std::string& path) { return mIndexes.IsSavePathQueued(path); }, mSaveNumbers,
      mOptions.ListModernPictures);
}

std::string PictureHarvester::RecoverSavePath(std::string_view address) {
  std::string plain = mTaskFolder + "/" + SaveNameOf(address, mOptions.ListModernPictures);
  if (IsFile(plain) && !mIndexes.IsSavePathQueued(plain)) return plain;
  return MakeSavePath(address);
}

void PictureHarvester::HarvestImages(const PageDocument& document) {
  const bool filtered = mTask.TaskType == kAdvancedTaskType && !mTask.DownloadUrlFilter.empty();
  const std::string lowerFilter = filtered ? LowerAscii(mTask.DownloadUrlFilter) : "";
  const std::vector<Candidate> candidates = CandidatesOf(document);
  if (FiltersByRealSize()) {
    HarvestImagesByRealSize(candidates, lowerFilter);
    return;
  }
  for (const Candidate& candidate : candidates) {
    if (mRun.StopRequested()) return;
    const PageImage& image = *candidate.Image;
    if (!FitsMinimumSize(image.Width, image.Height)) continue;
    std::optional<std::string> address = AcceptedAddress(candidate.Href, lowerFilter);
    if (!address) continue;
    QueuePicture(*address);
    AddRow({FileNameOf(*address), candidate.Href, std::to_string(image.Width),
            std::to_string(image.Height)});
  }
}

std::vector<PictureHarvester::Candidate> PictureHarvester::CandidatesOf(
    const PageDocument& document) const {
  std::vector<Candidate> candidates;
  if (!mOptions.BrowserPictures) {
    candidates.reserve(document.Images.size() + document.RequestedImages.size());
    for (const std::vector<PageImage>* list : {&document.Images, &document.RequestedImages}) {
      for (const PageImage& image : *list) candidates.push_back({&image, image.Href});
    }
    return candidates;
  }
  const PictureChoice choice(document);
  for (const std::vector<PageImage>* list : {&document.Images, &document.ExtraImages}) {
    for (const PageImage& image : *list) {
      std::string address = choice.AddressOf(image);
      if (!address.empty()) candidates.push_back({&image, std::move(address)});
    }
  }
  // A thumbnail or placeholder the page asked for must not undo the choice made for it.
  for (const PageImage& image : document.RequestedImages) {
    if (!choice.Names(image.Href)) candidates.push_back({&image, image.Href});
  }
  return candidates;
}

void PictureHarvester::HarvestImagesByRealSize(const std::vector<Candidate>& candidates,
                                               const std::string& lowerFilter) {
  // The element's reported size is not looked at: an image the browser never loaded
  // reports a placeholder's.
  std::vector<std::string> addresses;
  std::vector<const Candidate*> elements;         // the element of each address
  std::unordered_set<std::string> trimmedOnPage;  // nothing of this page is queued yet
  for (const Candidate& candidate : candidates) {
    if (mRun.StopRequested()) return;
    std::optional<std::string> address = AcceptedAddress(candidate.Href, lowerFilter);
    if (!address || !trimmedOnPage.insert(Trim(*address)).second) continue;
    addresses.push_back(std::move(*address));
    elements.push_back(&candidate);
  }
  if (addresses.empty()) return;

  const std::vector<std::optional<PictureDimensions>> sizes =
      mSizeProbe->ReadSizes(addresses, mPageAddress, mKeepWaiting);
  for (size_t i = 0; i < addresses.size(); ++i) {
    if (mRun.StopRequested()) return;
    int width = elements[i]->Image->Width;
    int height = elements[i]->Image->Height;
    // A size that cannot be read here is checked once the picture is downloaded.
    if (i < sizes.size() && sizes[i]) {
      width = sizes[i]->Width;
      height = sizes[i]->Height;
      if (!FitsMinimumSize(width, height)) continue;
    }
    QueuePicture(addresses[i]);
    AddRow({FileNameOf(addresses[i]), elements[i]->Href, std::to_string(width),
            std::to_string(height)});
  }
}

bool PictureHarvester::FiltersByRealSize() const {
  // Without a minimum there is nothing to compare, so nothing is fetched ahead.
  return mOptions.RealSizeFilter && mSizeProbe != nullptr && mKeepWaiting &&
         (mTask.MinWidth > 0 || mTask.MinHeight > 0);
}

bool PictureHarvester::FitsMinimumSize(int width, int height) const {
  return (mTask.MinWidth <= 0 || width >= mTask.MinWidth) &&
         (mTask.MinHeight <= 0 || height >= mTask.MinHeight);
}

std::optional<std::string> PictureHarvester::AcceptedAddress(const std::string& href,
                                                             const std::string& lowerFilter) const {
  const std::string lowerHref = LowerAscii(href);
  if (!Contains(lowerHref, "http")) return std::nullopt;
  if (!lowerFilter.empty() && !Contains(lowerHref, lowerFilter)) return std::nullopt;
  std::string address = WithSpacesDecodedOnce(href);
  if (mIndexes.HasTrimmedPicture(address) || !RobotsAllow(address)) return std::nullopt;
  return address;
}

bool PictureHarvester::RobotsAllow(const std::string& address) const {
  return !mOptions.CrawlPolitely || mRobots == nullptr || mRobots->Allows(address, mKeepWaiting);
}

void PictureHarvester::HarvestLinkPictures(const PageDocument& document) {
  const std::string lowerFilter = LowerAscii(mTask.DownloadUrlFilter);
  for (const std::string& link : document.Links) {
    if (mRun.StopRequested()) return;
    std::string lowerLink = LowerAscii(link);
    if (!lowerFilter.empty() && !Contains(lowerLink, lowerFilter)) continue;
    std::string cut = WithSpacesDecodedOnce(CutLink(link, mTask.LinkCutFrom, mTask.LinkCutTo));
    if (cut.empty()) continue;
    std::string address = HasScheme(LowerAscii(cut)) ? cut : "http://" + cut;
    if (mIndexes.HasPicture(address) || !RobotsAllow(address)) continue;
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
  row.Page = mPageAddress;
  mPictureRows.push_back(std::move(row));
  mHooks.PictureRowAdded(mPictureRows.back());
}

}  // namespace vexilo
