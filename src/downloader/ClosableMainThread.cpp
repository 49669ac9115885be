#include "downloader/ClosableMainThread.h"

namespace vexilo {

bool ClosableMainThread::Gate::IsClosed() {
  std::lock_guard lock(Mutex);
  return Closed;
}

ClosableMainThread::ClosableMainThread(MainThread& target)
    : mTarget(target), mGate(std::make_shared<Gate>()) {}

void ClosableMainThread::RunAndWait(const std::function<void()>& work) {
  if (mGate->IsClosed()) return;
  // The target's own RunAndWait could not be interrupted by Close().
  auto ran = std::make_shared<bool>(false);
  mTarget.Post([gate = mGate, ran, work] {
    if (!gate->IsClosed()) work();
    {
      std::lock_guard lock(gate->Mutex);
      *ran = true;
    }
    gate->Changed.notify_all();
  });
  std::unique_lock lock(mGate->Mutex);
  mGate->Changed.wait(lock, [&] { return *ran || mGate->Closed; });
}

void ClosableMainThread::Post(std::function<void()> work) {
  if (mGate->IsClosed()) return;
  mTarget.Post([gate = mGate, work = std::move(work)] {
    if (!gate->IsClosed()) work();
  });
}

void ClosableMainThread::Close() {
  {
    std::lock_guard lock(mGate->Mutex);
    mGate->Closed = true;
  }
  mGate->Changed.notify_all();
}

}  // namespace vexilo
