#pragma once
// A recorder of the hooks a crawl calls into the main window.

#include <functional>
#include <vector>

#include "crawler/CrawlHooks.h"

namespace vexilo::test {

class RecordingHooks : public CrawlHooks {
 public:
  int DownloadStarts = 0;
  int ListResets = 0;
  std::vector<PictureEntry> Rows;
  std::vector<bool> GridVisibility;
  std::function<void()> OnStartDownloads;
  std::function<void(const PictureEntry&)> OnRow;

  void StartDownloads() override {
    ++DownloadStarts;
    if (OnStartDownloads) OnStartDownloads();
  }
  void PictureListReset() override { ++ListResets; }
  void PictureRowAdded(const PictureEntry& row) override {
    Rows.push_back(row);
    if (OnRow) OnRow(row);
  }
  void SetGridVisible(bool visible) override { GridVisibility.push_back(visible); }
};

}  // namespace vexilo::test
