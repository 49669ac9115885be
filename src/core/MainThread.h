#pragma once
// Runs work on the main thread for code on other threads.

#include <functional>

namespace vexilo {

class MainThread {
 public:
  virtual ~MainThread() = default;
  // Runs work on the main thread and returns when it has run. Call from other threads only.
  virtual void RunAndWait(const std::function<void()>& work) = 0;
  // Queues work for the main thread and returns at once. Any thread.
  virtual void Post(std::function<void()> work) = 0;
};

}  // namespace vexilo
