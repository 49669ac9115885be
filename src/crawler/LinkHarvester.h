#pragma once
// Link harvesting: which links of a loaded page become pages of the next level. Main
// thread only.

#include <string>
#include <string_view>

#include "core/TaskRecord.h"
#include "crawler/CrawlIndexes.h"
#include "crawler/PageBrowser.h"

namespace vexilo {

// The scope rule of TaskRecord.LinkScope, always judged against the starting address.
class LinkScope {
 public:
  LinkScope(std::int32_t scope, std::string_view baseUrl);
  bool Allows(std::string_view link) const;

 private:
  std::int32_t mScope;
  std::string mBaseSite;      // SiteOf(baseUrl)
  std::string mLowerBaseDir;  // lower-cased DirOf(baseUrl)
};

// False for links to mail, scripts, fragments and files that are no pages.
bool IsPageLink(std::string_view lowerLink);

class LinkHarvester {
 public:
  // task and indexes must outlive the harvester.
  LinkHarvester(const TaskRecord& task, CrawlIndexes& indexes);

  // Called at every crawl start: the scope and the filter come from the task as it is then.
  void StartCrawl(std::string_view baseUrl);
  // Offers every link of the page to AcceptLink, in document order.
  void HarvestLinks(const PageDocument& document);
  // Appends the link to TempUrls when it is in scope, a page, passes the searching-address
  // filter and is not gathered yet.
  void AcceptLink(const std::string& link);

 private:
  const TaskRecord& mTask;
  CrawlIndexes& mIndexes;
  LinkScope mScope{0, ""};
  std::string mLowerSearchFilter;  // empty when the filter does not apply
};

}  // namespace vexilo
