#pragma once
// Fake seams for the downloader tests: a main thread that is a queue the test drains, a
// timer that only remembers its state, and recorders for prompts and status texts.

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/MainThread.h"
#include "core/StatusSink.h"
#include "core/UserPrompts.h"
#include "downloader/DownloadTimer.h"

namespace vexilo::test {

class FakeMainThread : public MainThread {
 public:
  void RunAndWait(const std::function<void()>& work) override;
  void Post(std::function<void()> work) override;

  // Runs what is queued now (also what that queues), without waiting.
  void RunPending();
  // Runs queued work, waiting for workers to queue more, until done() holds. False when it
  // does not hold within the time limit (a hang, not a slow machine).
  bool RunUntil(const std::function<bool()>& done,
                std::chrono::seconds limit = std::chrono::seconds(30));
  // Waits without running anything until at least count items are queued.
  bool WaitForQueued(std::size_t count, std::chrono::seconds limit = std::chrono::seconds(30));
  // How many items have run so far.
  std::size_t RunCount() const { return mRunCount; }

 private:
  bool RunOne();

  std::mutex mMutex;
  std::condition_variable mQueued;
  std::deque<std::function<void()>> mQueue;
  std::size_t mRunCount = 0;  // main thread only
};

class FakeTimer : public DownloadTimer {
 public:
  void SetEnabled(bool enabled) override { mEnabled = enabled; }
  bool Enabled() const override { return mEnabled; }

 private:
  bool mEnabled = false;
};

class RecordingPrompts : public UserPrompts {
 public:
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void ShowError(const std::string& text) override;

  std::vector<std::string> Messages;
  std::function<void()> OnMessage;  // runs while the message "is shown"
};

class RecordingStatus : public StatusSink {
 public:
  void SetStatusText(int panel, const std::string& text) override;
  std::string Panel2() const { return mPanels[2]; }

 private:
  std::array<std::string, 3> mPanels;
};

}  // namespace vexilo::test
