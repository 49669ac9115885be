#include "support/FakeSeams.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/Errors.h"

namespace vexilo::test {

RecordingPrompts RecordingPrompts::MessagesOnly() {
  RecordingPrompts prompts;
  prompts.mMessagesOnly = true;
  return prompts;
}

void RecordingPrompts::ShowMessage(const std::string& text) {
  Messages.push_back(text);
  if (OnMessage) OnMessage();
}

bool RecordingPrompts::AskYesNo(const std::string& text) {
  if (mMessagesOnly) ADD_FAILURE() << "unexpected question: " << text;
  Questions.push_back(text);
  return Answer;
}

void RecordingPrompts::ShowError(const std::string& text) {
  if (mMessagesOnly) ADD_FAILURE() << "unexpected error box: " << text;
  Errors.push_back(text);
}

void RecordingPrompts::ShowErrorWithYes(const std::string& text) {
  if (mMessagesOnly) ADD_FAILURE() << "unexpected error box: " << text;
  ErrorsWithYes.push_back(text);
}

std::optional<int> RecordingPrompts::AskChoice(const std::string& text,
                                               const std::vector<std::string>& /*choices*/,
                                               int preselected) {
  if (mMessagesOnly) ADD_FAILURE() << "unexpected choice: " << text;
  Questions.push_back(text);
  Preselected.push_back(preselected);
  if (ChoiceCancelled) return std::nullopt;
  return Choice >= 0 ? Choice : preselected;
}

void RecordingStatus::SetStatusText(int panel, const std::string& text) {
  mHistory.at(static_cast<std::size_t>(panel)).push_back(text);
}

const std::vector<std::string>& RecordingStatus::History(int panel) const {
  return mHistory.at(static_cast<std::size_t>(panel));
}

std::string RecordingStatus::Text(int panel) const {
  const auto& history = History(panel);
  return history.empty() ? std::string() : history.back();
}

void MemorySettingsStore::Open() {
  if (FailOpen) throw FileError("cannot open the store");
  Opened = true;
}

std::string MemorySettingsStore::Read(const std::string& name) {
  auto it = Values.find(name);
  return it != Values.end() ? it->second : std::string();
}

void MemorySettingsStore::Write(const std::string& name, const std::string& value) {
  if (FailWrite) throw FileError("cannot write the store");
  Values[name] = value;
  WriteOrder.push_back(name);
}

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

void FakeEventPump::ProcessEvents() {
  mNow += kStep;
  for (auto& action : mOnPump) action();
}

double FakeEventPump::Elapsed() const {
  return std::chrono::duration<double>(mNow - Clock::time_point{}).count();
}

bool RecordingShell::MoveToTrash(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::remove(path, ec)) return false;
  Trashed.push_back(path);
  return true;
}

}  // namespace vexilo::test
