#pragma once
// The hand-shake flags of the main window that the crawl, the download scheduler and the
// commands share. Main thread only.

namespace vexilo {

struct RunFlags {
  bool CrawlIdle = true;         // no crawl runs
  bool StopRequested = false;    // Stop was pressed (or the window is closing)
  bool ResumeRequested = false;  // the next crawl start loads the task's saved state
  bool SaveFailureTold = false;  // this crawl has told the user its progress was not saved
};

}  // namespace vexilo
