#pragma once
// Fakes of the core seams for every test: recorders of prompts, status texts and desktop
// requests, an in-memory settings store that can be made to fail, a main thread that is a
// queue the test drains, and an event pump whose clock moves only when it is pumped.

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/DesktopShell.h"
#include "core/EventPump.h"
#include "core/MainThread.h"
#include "core/SettingsStore.h"
#include "core/StatusSink.h"
#include "core/UserPrompts.h"
#include "downloader/DownloadTimer.h"

namespace vexilo::test {

// Records each prompt by kind; a question is answered with Answer.
class RecordingPrompts : public UserPrompts {
 public:
  // For code that only ever shows messages: a question or an error box fails the test.
  static RecordingPrompts MessagesOnly();

  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ShowErrorWithYes(const std::string& text) override;
  // Records the question and the preselected choice; answers Choice, or the preselected one
  // when Choice is -1 (nullopt when ChoiceCancelled).
  std::optional<int> AskChoice(const std::string& text, const std::vector<std::string>& choices,
                               int preselected) override;

  std::vector<std::string> Messages;
  std::vector<std::string> Questions;
  std::vector<std::string> Errors;
  std::vector<std::string> ErrorsWithYes;
  bool Answer = true;
  std::vector<int> Preselected;  // one per choice asked
  int Choice = -1;
  bool ChoiceCancelled = false;
  std::function<void()> OnMessage;  // runs while the message "is shown"

 private:
  bool mMessagesOnly = false;
};

// Keeps every text each panel was given, in order.
class RecordingStatus : public StatusSink {
 public:
  void SetStatusText(int panel, const std::string& text) override;
  std::string StatusText(int panel) const override { return Text(panel); }

  const std::vector<std::string>& History(int panel) const;
  // The panel's text now; "" before the first.
  std::string Text(int panel) const;

 private:
  std::array<std::vector<std::string>, kStatusPanelCount> mHistory;
};

class RecordingShell : public DesktopShell {
 public:
  bool Open(const std::string& pathOrAddress) override {
    Opened.push_back(pathOrAddress);
    return OpenSucceeds;
  }
  std::optional<std::string> PickFolder(const std::string& title,
                                        const std::string& startFolder) override {
    PickTitles.push_back(title);
    PickStarts.push_back(startFolder);
    return PickedFolder;
  }
  void SetClipboardText(const std::string& text) override { Clipboard = text; }
  // Removes the file, as a move out of sight would.
  bool MoveToTrash(const std::string& path) override;

  std::vector<std::string> Opened;
  bool OpenSucceeds = true;  // false: as if no handler could be started
  std::vector<std::string> PickTitles;
  std::vector<std::string> PickStarts;
  std::optional<std::string> PickedFolder;
  std::string Clipboard;
  std::vector<std::string> Trashed;
};

class MemorySettingsStore : public SettingsStore {
 public:
  void Open() override;
  std::string Read(const std::string& name) override;
  void Write(const std::string& name, const std::string& value) override;
  void Close() override {}

  std::map<std::string, std::string> Values;
  std::vector<std::string> WriteOrder;
  bool Opened = false;
  bool FailOpen = false;
  bool FailWrite = false;
};

// Only remembers its state; the tests tick the scheduler themselves.
class FakeTimer : public DownloadTimer {
 public:
  void SetEnabled(bool enabled) override { mEnabled = enabled; }
  bool Enabled() const override { return mEnabled; }

 private:
  bool mEnabled = false;
};

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

// Each ProcessEvents advances the clock by one step and then runs what the test scheduled.
class FakeEventPump : public EventPump {
 public:
  static constexpr Clock::duration kStep = std::chrono::milliseconds(20);

  void ProcessEvents() override;
  Clock::time_point Now() override { return mNow; }

  // Seconds since the start of the test.
  double Elapsed() const;
  // Runs action after every pump from now on.
  void OnPump(std::function<void()> action) { mOnPump.push_back(std::move(action)); }

 private:
  Clock::time_point mNow{};
  std::vector<std::function<void()>> mOnPump;
};

}  // namespace vexilo::test
