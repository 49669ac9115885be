#pragma once
// The statuses a saved crawl state gives the picture list's rows, for a task selected later
// and for a crawl that resumes. A pure function, so the rules are tested without a window.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/CrawlState.h"

namespace vexilo {

struct RowStatus {
  int Row;
  std::string Status;

  bool operator==(const RowStatus&) const = default;
};

// Row i is the saved queue's entry i; rowsShown rows are on screen. "done" for the pictures
// handed out whose files are there (fileThere), "failed: <reason>" for those that failed, the
// reason for those a check removed again,
// "downloading" for those in savePathsRunning, and for those cut off "waiting" when waiting
// is set, else a blank; with waiting set, "waiting" also for those still to hand out. A save
// path names the last row that has it. Returns the rows that get a status, by row.
std::vector<RowStatus> SavedStatuses(const CrawlState& saved, std::size_t rowsShown,
                                     const std::vector<std::string>& savePathsRunning, bool waiting,
                                     const std::function<bool(const std::string&)>& fileThere);

}  // namespace vexilo
