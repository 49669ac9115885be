#pragma once
// A MainThread in front of another one that can be closed at shut-down. Once closed, work
// that has not run yet never runs, and a worker waiting in RunAndWait returns at once, so the
// main thread can join workers without any of them waiting for it for ever, and no queued
// work reaches objects that are gone.

#include <condition_variable>
#include <memory>
#include <mutex>

#include "core/MainThread.h"

namespace vexilo {

class ClosableMainThread : public MainThread {
 public:
  // target must outlive every call made before Close() returns.
  explicit ClosableMainThread(MainThread& target);
  ClosableMainThread(const ClosableMainThread&) = delete;
  ClosableMainThread& operator=(const ClosableMainThread&) = delete;

  // Other threads only. Returns when work has run, or without running it when closed.
  void RunAndWait(const std::function<void()>& work) override;
  void Post(std::function<void()> work) override;
  // Main thread only.
  void Close();

 private:
  // Shared with the work queued on the target, which may run after this object is gone.
  struct Gate {
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Closed = false;
    bool IsClosed();
  };

  MainThread& mTarget;
  std::shared_ptr<Gate> mGate;
};

}  // namespace vexilo
