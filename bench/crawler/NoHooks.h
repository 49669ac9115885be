#pragma once
// Crawl hooks that do nothing, for benchmarks that measure the crawl alone.

#include "crawler/CrawlHooks.h"

namespace vexilo {

class NoHooks : public CrawlHooks {
 public:
  void StartDownloads() override {}
  void PictureListReset() override {}
  void PictureRowAdded(const PictureEntry&) override {}
  void SetGridVisible(bool) override {}
};

}  // namespace vexilo
