#include "core/RunState.h"

namespace vexilo {

bool RunState::CrawlIdle() const { return mPhase == RunPhase::Idle || mPhase == RunPhase::Stopped; }

bool RunState::StopRequested() const { return mPhase == RunPhase::Stopped; }

void RunState::CrawlStarted() { mPhase = RunPhase::Crawling; }

void RunState::CrawlFinished() {
  // The last page may be read after Stop was pressed: the stop stands.
  if (mPhase == RunPhase::Crawling) mPhase = RunPhase::Idle;
}

void RunState::CrawlFailed() {
  if (mPhase == RunPhase::Crawling) mPhase = RunPhase::Failed;
}

void RunState::StopPressed() { mPhase = RunPhase::Stopped; }

void RunState::ShuttingDown() { mPhase = RunPhase::Stopped; }

}  // namespace vexilo
