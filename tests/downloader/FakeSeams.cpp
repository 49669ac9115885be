#include "FakeSeams.h"

#include <gtest/gtest.h>

namespace vexilo::test {

void FakeMainThread::RunAndWait(const std::function<void()>& work) {
  std::mutex doneMutex;
  std::condition_variable doneChanged;
  bool done = false;
  Post([&] {
    work();
    std::lock_guard lock(doneMutex);
    done = true;
    doneChanged.notify_all();
  });
  std::unique_lock lock(doneMutex);
  doneChanged.wait(lock, [&] { return done; });
}

void FakeMainThread::Post(std::function<void()> work) {
  {
    std::lock_guard lock(mMutex);
    mQueue.push_back(std::move(work));
  }
  mQueued.notify_all();
}

bool FakeMainThread::RunOne() {
  std::function<void()> work;
  {
    std::lock_guard lock(mMutex);
    if (mQueue.empty()) return false;
    work = std::move(mQueue.front());
    mQueue.pop_front();
  }
  work();
  ++mRunCount;
  return true;
}

void FakeMainThread::RunPending() {
  while (RunOne()) {
  }
}

bool FakeMainThread::RunUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (true) {
    RunPending();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    // Workers signal what they queue, but not every state change; look again shortly.
    std::unique_lock lock(mMutex);
    mQueued.wait_for(lock, std::chrono::milliseconds(5), [&] { return !mQueue.empty(); });
  }
}

bool FakeMainThread::WaitForQueued(std::size_t count, std::chrono::seconds limit) {
  std::unique_lock lock(mMutex);
  return mQueued.wait_for(lock, limit, [&] { return mQueue.size() >= count; });
}

void RecordingPrompts::ShowMessage(const std::string& text) {
  Messages.push_back(text);
  if (OnMessage) OnMessage();
}

bool RecordingPrompts::AskYesNo(const std::string& text) {
  ADD_FAILURE() << "unexpected question: " << text;
  return false;
}

void RecordingPrompts::ShowError(const std::string& text) {
  ADD_FAILURE() << "unexpected error box: " << text;
}

void RecordingStatus::SetStatusText(int panel, const std::string& text) {
  mPanels.at(static_cast<std::size_t>(panel)) = text;
}

}  // namespace vexilo::test
