#include "crawler/LinkHarvester.h"

#include <array>

#include "core/TextRules.h"
#include "core/UrlUtils.h"

namespace vexilo {
namespace {

constexpr std::array<std::string_view, 6> kFileEndings = {".exe", ".zip", ".rar",
                                                          ".chm", ".pdf", ".txt"};

}  // namespace

LinkScope::LinkScope(std::int32_t scope, std::string_view baseUrl)
    : mScope(scope), mBaseSite(SiteOf(baseUrl)), mLowerBaseDir(LowerAscii(DirOf(baseUrl))) {}

bool LinkScope::Allows(std::string_view link) const {
  switch (mScope) {
    case 1:
      return SiteOf(link) == mBaseSite;
    case 2:
      return Contains(LowerAscii(DirOf(link)), mLowerBaseDir);
    case 3:
      return LowerAscii(DirOf(link)) == mLowerBaseDir;
    default:
      return true;
  }
}

bool IsPageLink(std::string_view lowerLink) {
  if (Contains(lowerLink, "mail") || Contains(lowerLink, "script:") || Contains(lowerLink, "#")) {
    return false;
  }
  std::string_view ending =
      lowerLink.size() > 4 ? lowerLink.substr(lowerLink.size() - 4) : lowerLink;
  for (std::string_view fileEnding : kFileEndings) {
    if (ending == fileEnding) return false;
  }
  return true;
}

LinkHarvester::LinkHarvester(const TaskRecord& task, CrawlIndexes& indexes)
    : mTask(task), mIndexes(indexes) {}

void LinkHarvester::StartCrawl(std::string_view baseUrl) {
  mScope = LinkScope(mTask.LinkScope, baseUrl);
  mLowerSearchFilter = mTask.TaskType == kAdvancedTaskType ? LowerAscii(mTask.SearchUrlFilter) : "";
}

void LinkHarvester::HarvestLinks(const PageDocument& document) {
  for (const std::string& link : document.Links) AcceptLink(link);
}

void LinkHarvester::AcceptLink(const std::string& link) {
  if (!mScope.Allows(link)) return;
  std::string lowerLink = LowerAscii(link);
  if (!IsPageLink(lowerLink)) return;
  if (!mLowerSearchFilter.empty() && !Contains(lowerLink, mLowerSearchFilter)) return;
  if (mIndexes.IsGathered(link)) return;
  // A link to a picture the task already has brings nothing new: a check never asks for it.
  if (mIndexes.IsKnownPicture(link)) return;
  mIndexes.AppendTempUrl(link);
}

}  // namespace vexilo
