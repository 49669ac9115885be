// One run of the crash test's task in a process of its own, which the test kills at a random
// moment: the run object over fakes of the window, a browser that reads the crash site's pages
// after a real load time, and the real downloads. Resumes the task and exits 0 once its
// downloads are complete, 2 when they are not within a minute.
// Usage: crash_child <program folder> <site address>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "crash/CrashSite.h"
#include "downloader/DownloadScheduler.h"
#include "shell/Run.h"
#include "support/FakeSeams.h"
#include "support/RecordingGrid.h"
#include "tasks/TaskCommands.h"
#include "tasks/TaskFakes.h"

namespace vexilo::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPageLoad = std::chrono::milliseconds(150);
constexpr auto kTickInterval = std::chrono::milliseconds(500);
constexpr auto kMostRunTime = std::chrono::seconds(60);

class SiteBrowser : public PageBrowser {
 public:
  explicit SiteBrowser(std::string base) : mBase(std::move(base)) {}
  void Navigate(const std::string& address) override {
    mAddress = address;
    mLoaded = Clock::now() + kPageLoad;
  }
  void Stop() override {}
  int ReadyState() override { return Clock::now() >= mLoaded ? kReadyStateComplete : 1; }
  std::string LocationURL() override { return mAddress; }
  std::optional<PageDocument> Document() override { return CrashSiteDocument(mBase, mAddress); }
  void SetMode(BrowserMode) override {}

 private:
  std::string mBase;
  std::string mAddress = "about:blank";
  Clock::time_point mLoaded = Clock::now();
};

// Runs the workers' reports and the download timer, as the window's event loop does.
class RealTimePump : public EventPump {
 public:
  RealTimePump(FakeMainThread& reports, FakeTimer& timer) : mReports(reports), mTimer(timer) {}
  void ProcessEvents() override {
    mReports.RunPending();
    if (mTimer.Enabled() && Clock::now() - mLastTick >= kTickInterval && OnTick) {
      mLastTick = Clock::now();
      OnTick();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  Clock::time_point Now() override { return Clock::now(); }
  std::function<void()> OnTick;

 private:
  FakeMainThread& mReports;
  FakeTimer& mTimer;
  Clock::time_point mLastTick = Clock::now();
};

class SilentWindow : public RunWindow {
 public:
  void ShowPictureRows(const std::vector<PictureEntry>&) override {}
  void AddPictureRow(const PictureEntry&) override {}
  void SetPictureRowStatus(int, const std::string&) override {}
  void SetPictureRowLink(int, const std::string&) override {}
  void SetGridVisible(bool) override {}
};

int RunTask(const std::filesystem::path& programFolder, const std::string& site) {
  MemorySettingsStore store;
  RecordingPrompts prompts;  // "Fetch the pictures that failed again?": yes
  RecordingShell shell;
  RecordingStatus status;
  FakeMainThread reports;
  FakeTimer timer;
  RealTimePump pump(reports, timer);
  SiteBrowser browser(site);
  FakeTree tree;
  FakeAddress address;
  RecordingGrid grid;
  SilentWindow window;
  FakeWizard wizard;
  FakeSettingsDialog settingsDialog;
  FakeDeleteDialog deleteDialog;

  TRun run(RunParts{AppFolders::Beside(programFolder), store, prompts, shell, status, pump, reports,
                    timer, browser, tree, address, grid, window});
  pump.OnTick = [&run] { run.DownloadTick(); };
  run.Start();
  run.AttachDialogs({wizard, settingsDialog, deleteDialog});
  run.Tasks().SelectNode(0);
  run.Tasks().Resume();
  const Clock::time_point giveUp = Clock::now() + kMostRunTime;
  while (!run.Scheduler().DownloadsComplete() && Clock::now() < giveUp) pump.ProcessEvents();
  const bool complete = run.Scheduler().DownloadsComplete();
  run.ShutDown();
  for (const std::string& error : prompts.Errors)
    std::fprintf(stderr, "error: %s\n", error.c_str());
  return complete ? 0 : 2;
}

}  // namespace
}  // namespace vexilo::test

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: crash_child <program folder> <site address>\n");
    return 1;
  }
  return vexilo::test::RunTask(argv[1], argv[2]);
}
