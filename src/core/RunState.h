#pragma once
// The run's phase: whether a crawl runs and whether Stop was pressed, one value that the crawl,
// the task commands and the run object tell and the scheduler and the harvester ask. Every
// transition is in RunState.cpp. Main thread only.
//
//   any      --CrawlStarted----------------> Crawling
//   Crawling --CrawlFinished---------------> Idle      (its downloads drain)
//   Crawling --CrawlFailed-----------------> Failed    (counts as running until Stop)
//   any      --StopPressed, ShuttingDown---> Stopped   (no more downloads start)
// CrawlFinished and CrawlFailed change only Crawling: a crawl that fails before it started,
// or reads its last page after Stop, leaves the phase as it was.

#include <cstdint>
#include <limits>

namespace vexilo {

enum class RunPhase {
  Idle,      // no crawl runs: at start-up, and after a crawl finished
  Crawling,  // a crawl runs
  Failed,    // a crawl ended on an error; the user ends it with Stop
  Stopped,   // Stop was pressed or the window is closing
};

class RunState {
 public:
  RunPhase Phase() const { return mPhase; }
  // No crawl runs: New, Resume and the others may start one, and downloads may end the run.
  bool CrawlIdle() const;
  // The crawl, its waits and the downloads end as soon as they can.
  bool StopRequested() const;

  void CrawlStarted();  // the crawl has set up its state and starts its downloads
  void CrawlFinished();
  void CrawlFailed();
  void StopPressed();
  void ShuttingDown();

  // Beside the phase, not part of it: what the next crawl start does, set by the commands,
  // and whether this crawl has told the user its progress was not saved (cleared when a
  // crawl begins, even one that fails before it starts).
  bool ResumeRequested = false;
  bool SaveFailureTold = false;
  // The running crawl's queue entries from this one on are not in the state files yet and
  // are not handed out: a crash must never leave a picture on disk that its task does not
  // know, or Resume would save it again as a copy. Set by the crawl as it saves.
  static constexpr std::int32_t kNoHandOutLimit = std::numeric_limits<std::int32_t>::max();
  std::int32_t QueueOnDisk = kNoHandOutLimit;

 private:
  RunPhase mPhase = RunPhase::Idle;
};

}  // namespace vexilo
