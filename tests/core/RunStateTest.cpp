#include <gtest/gtest.h>

#include "core/RunState.h"

namespace vexilo {
namespace {

using Event = void (RunState::*)();

struct Transition {
  const char* name;
  RunPhase from;
  Event event;
  RunPhase to;
  bool crawlIdle;
  bool stopRequested;
};

RunState InPhase(RunPhase phase) {
  RunState run;
  if (phase != RunPhase::Idle) run.CrawlStarted();
  if (phase == RunPhase::Failed) run.CrawlFailed();
  if (phase == RunPhase::Stopped) run.StopPressed();
  return run;
}

TEST(RunStateTest, EachEventMovesThePhaseAsTheRunNeeds) {
  using enum RunPhase;
  const Transition rows[] = {
      {"a crawl starts", Idle, &RunState::CrawlStarted, Crawling, false, false},
      {"a crawl starts after Stop", Stopped, &RunState::CrawlStarted, Crawling, false, false},
      {"a finished crawl lets its downloads drain", Crawling, &RunState::CrawlFinished, Idle, true,
       false},
      {"the last page read after Stop", Stopped, &RunState::CrawlFinished, Stopped, true, true},
      {"a failed crawl counts as running", Crawling, &RunState::CrawlFailed, Failed, false, false},
      {"a failure before the start", Idle, &RunState::CrawlFailed, Idle, true, false},
      {"a failure before the start after Stop", Stopped, &RunState::CrawlFailed, Stopped, true,
       true},
      {"Stop ends a crawl", Crawling, &RunState::StopPressed, Stopped, true, true},
      {"Stop ends a failed crawl", Failed, &RunState::StopPressed, Stopped, true, true},
      {"Stop while downloads drain", Idle, &RunState::StopPressed, Stopped, true, true},
      {"shut-down during a crawl", Crawling, &RunState::ShuttingDown, Stopped, true, true},
  };
  for (const Transition& row : rows) {
    RunState run = InPhase(row.from);
    ASSERT_EQ(run.Phase(), row.from) << row.name;
    (run.*row.event)();
    EXPECT_EQ(run.Phase(), row.to) << row.name;
    EXPECT_EQ(run.CrawlIdle(), row.crawlIdle) << row.name;
    EXPECT_EQ(run.StopRequested(), row.stopRequested) << row.name;
  }
}

}  // namespace
}  // namespace vexilo
