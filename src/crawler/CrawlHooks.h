#pragma once
// What a crawl needs from the rest of the program beyond the browser and the seams: the
// scheduler's share of the crawl start and the picture list and grid of the main window.
// Main thread only.

#include "core/PictureEntry.h"

namespace vexilo {

class CrawlHooks {
 public:
  virtual ~CrawlHooks() = default;
  // The download scheduler's share of the crawl start; may raise an error that fails the crawl.
  virtual void StartDownloads() = 0;
  // The picture list rows were emptied or replaced as a whole.
  virtual void PictureListReset() = 0;
  virtual void PictureRowAdded(const PictureEntry& row) = 0;
  // Hidden while the user logs on in the browser beneath the grid.
  virtual void SetGridVisible(bool visible) = 0;
};

}  // namespace vexilo
