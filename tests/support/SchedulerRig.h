#pragma once
// What a download scheduler with the real pool needs around it, against a loopback server:
// for the fixtures that run one. Declared before the fixture's scheduler, so it outlives it.

#include "core/AppSettings.h"
#include "core/CrawlState.h"
#include "core/RunState.h"
#include "core/TaskRecord.h"
#include "core/TaskStateFiles.h"
#include "downloader/DownloadPool.h"
#include "downloader/DownloadScheduler.h"
#include "support/FakeSeams.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace vexilo::test {

struct SchedulerRig {
  // The scheduler's parts over the rig, with these hooks and the real pool.
  SchedulerParts RigParts(PictureHooks pictures) {
    return {.Crawl = mCrawl,
            .Run = mFlags,
            .Settings = mSettings,
            .Task = mTask,
            .StateFiles = mStateFiles,
            .Prompts = mPrompts,
            .Status = mStatus,
            .Timer = mTimer,
            .Pictures = std::move(pictures),
            .MakePool = ThreadPool(mMainThread)};
  }

  LoopbackServer mServer;
  TempDir mProgram;
  TempDir mPictures;
  CrawlState mCrawl;
  RunState mFlags;
  AppSettings mSettings;
  TaskRecord mTask;
  TaskStateFiles mStateFiles{mProgram.Path()};
  RecordingPrompts mPrompts = RecordingPrompts::MessagesOnly();
  RecordingStatus mStatus;
  FakeMainThread mMainThread;
  FakeTimer mTimer;
};

}  // namespace vexilo::test
