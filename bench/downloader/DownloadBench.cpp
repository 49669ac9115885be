// Fetches a list of addresses through the real download scheduler and workers, the way a
// task drains its queue after the crawl, and prints how long it took. run-bench.sh drives it
// against nginx and compares with curl.
//
//   downloader_bench <address list> <output folder> <workers> [crawling]
//
// By default the crawl has queued everything and ended, so counti.dat is written after every
// hand-out. With "crawling" the crawl is still running until the last picture has ended.

#include <QCoreApplication>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "core/StatusSink.h"
#include "core/UserPrompts.h"
#include "downloader/DownloadPool.h"
#include "downloader/DownloadScheduler.h"
#include "downloader/DownloadTimer.h"
#include "platform/QtMainThread.h"

namespace {

using namespace vexilo;

class QtTimer : public DownloadTimer {
 public:
  QtTimer() { mTimer.setInterval(500); }
  void OnTimeout(std::function<void()> tick) {
    QObject::connect(&mTimer, &QTimer::timeout, &mTimer, std::move(tick));
  }
  void SetEnabled(bool enabled) override {
    if (enabled) {
      mTimer.start();
    } else {
      mTimer.stop();
    }
  }
  bool Enabled() const override { return mTimer.isActive(); }

 private:
  QTimer mTimer;
};

class QuitOnMessage : public UserPrompts {
 public:
  // Queued, so that it also ends a loop that has not started yet.
  void ShowMessage(const std::string&) override {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
  }
  bool AskYesNo(const std::string&) override { return false; }
  void ShowError(const std::string&) override {}
  void ShowErrorWithYes(const std::string&) override {}
};

class NoStatus : public StatusSink {
 public:
  void SetStatusText(int, const std::string&) override {}
};

// Downloads only: every saved file counts as a picture, none is decoded.
std::optional<Bitmap24> MakeBenchThumbnail(const std::string&) { return Bitmap24(1, 1); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && !(argc == 5 && std::string(argv[4]) == "crawling")) {
    std::fprintf(stderr, "usage: %s <address list> <output folder> <workers> [crawling]\n",
                 argv[0]);
    return 2;
  }
  const bool crawling = argc == 5;
  QCoreApplication app(argc, argv);
  const std::filesystem::path output = argv[2];

  CrawlState crawl;
  std::ifstream list(argv[1]);
  for (std::string url; std::getline(list, url);) {
    if (url.empty()) continue;
    crawl.Queue.push_back({url, (output / url.substr(url.rfind('/') + 1)).string()});
  }
  RunState flags;
  AppSettings settings;
  settings.DownloadThread = argv[3];
  TaskRecord task;
  task.FolderName = "bench";
  task.TaskFolder = output.string();  // nothing is fetched into any other folder
  TaskStateFiles stateFiles(output / ".program");
  std::filesystem::create_directories(stateFiles.StateFolder(task.FolderName));
  QuitOnMessage prompts;
  NoStatus status;
  QObject context;
  QtMainThread mainThread(&context);
  std::size_t appended = 0;
  std::size_t ended = 0;
  QtTimer timer;
  DownloadScheduler scheduler(
      {.Crawl = crawl,
       .Run = flags,
       .Settings = settings,
       .Task = task,
       .StateFiles = stateFiles,
       .Prompts = prompts,
       .Status = status,
       .Timer = timer,
       .Pictures = {MakeBenchThumbnail, [&](const std::string&, const Bitmap24&) { ++appended; },
                    nullptr,
                    [&](std::int64_t, const std::string&, const std::string& mark) {
                      // The crawl ends with the last picture, however
                      // it ended: completion follows.
                      if (mark != "downloading" && ++ended == crawl.Queue.size())
                        flags.CrawlFinished();
                    },
                    nullptr},
       .MakePool = ThreadPool(mainThread)});
  timer.OnTimeout([&] { scheduler.Tick(); });

  const auto start = std::chrono::steady_clock::now();
  flags.CrawlStarted();
  scheduler.StartCrawl();
  if (!crawling) flags.CrawlFinished();
  scheduler.Tick();  // the first tick at once rather than after 500 ms
  app.exec();
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  scheduler.Shutdown();

  std::printf("%.3f %zu/%zu\n", elapsed.count(), appended, crawl.Queue.size());
  return appended == crawl.Queue.size() ? 0 : 1;
}
