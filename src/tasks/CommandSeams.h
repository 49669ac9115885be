#pragma once
// The parts of the main window the task commands drive besides the tree and the dialogs.
// Main thread only.

#include <string>

#include "core/KnownPictures.h"

namespace vexilo {

// Starts the crawl of the current task record and returns when it has ended.
class CrawlRunner {
 public:
  virtual ~CrawlRunner() = default;
  virtual void RunCrawl() = 0;
  // The same for a check for new pictures, whose start the task's state files hold: known
  // addresses are not queued, known contents not kept, and what is fetched is new.
  virtual void RunCheck(KnownPictures known) = 0;
};

// The address box beside the "Quick Start" button.
class AddressBox {
 public:
  virtual ~AddressBox() = default;
  virtual std::string AddressText() const = 0;
  virtual void SetAddressText(const std::string& text) = 0;
};

// The picture grid and the picture list.
class TaskPictureView {
 public:
  virtual ~TaskPictureView() = default;
  // Lists the pictures of the selected node (a task index or TaskTreeView::kRootNode); for a
  // task this also reads its record into the current task record and fills the picture list.
  virtual void ListTaskPictures(int node) = 0;
  // Removes every item from the picture grid.
  virtual void ClearPictures() = 0;
};

}  // namespace vexilo
