// Whole crawls of a site through the real WebEngine browser, one page at a time and four at
// once, in pages per second and CPU use of this process and its browser processes; the same
// on a copy of the site whose pages are each answered late, when one is given; the first two
// levels with the page-script and browser-picture options off and on; then the CPU
// the waits use while a page does not answer. Run by run-site-crawl.sh, which serves the sites.
//
//   vexilo_site_crawl_bench <start address> <link levels> <address that never answers>
//                           [<start address of the slow copy>]

#include <unistd.h>

#include <QApplication>
#include <QWebEngineProfile>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "NoHooks.h"
#include "crawler/Crawler.h"
#include "platform/QtEventPump.h"
#include "platform/WebEnginePageBrowser.h"

namespace vexilo {
namespace {

class CountingStatus : public StatusSink {
 public:
  int Pages = 0;
  void SetStatusText(int, const std::string& text) override {
    if (text.starts_with("Searching web page ")) ++Pages;
  }
};

class SilentPrompts : public UserPrompts {
 public:
  void ShowMessage(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return false; }
  void ShowError(const std::string&) override {}
  void ShowErrorWithYes(const std::string&) override {}
};

// CPU seconds of this process and of every process below it (the browser's helpers), by
// process.
std::map<long, double> TreeCpu() {
  std::map<long, long> parents;
  std::map<long, double> cpu;
  const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    long ppid = 0;
    unsigned long fields[12] = {};
    if (std::sscanf(line.c_str() + close + 2, "%c %ld %lu %lu %lu %lu %lu %lu %lu %lu %lu %lu %lu",
                    &state, &ppid, &fields[0], &fields[1], &fields[2], &fields[3], &fields[4],
                    &fields[5], &fields[6], &fields[7], &fields[8], &fields[9],
                    &fields[10]) != 13) {
      continue;
    }
    const long pid = std::stol(name);
    parents[pid] = ppid;
    cpu[pid] = static_cast<double>(fields[9] + fields[10]) / ticks;  // utime + stime
  }
  std::map<long, double> tree;
  for (const auto& [pid, seconds] : cpu) {
    for (long p = pid; p > 1; p = parents.count(p) ? parents[p] : 0) {
      if (p == getpid()) {
        tree[pid] = seconds;
        break;
      }
    }
  }
  return tree;
}

// The CPU the process tree uses from construction to Seconds(). Browser processes come and go
// with their pages, so the tree is read every 100 ms and a process that ended counts with its
// last reading.
class TreeCpuMeter {
 public:
  TreeCpuMeter() : mStart(TreeCpu()), mLast(mStart) {
    mSampler = std::thread([this] {
      std::unique_lock lock(mMutex);
      while (!mDone.wait_for(lock, std::chrono::milliseconds(100), [this] { return mStop; })) {
        lock.unlock();
        std::map<long, double> now = TreeCpu();
        lock.lock();
        for (const auto& [pid, seconds] : now) mLast[pid] = seconds;
      }
    });
  }
  ~TreeCpuMeter() { Seconds(); }

  double Seconds() {
    if (mSampler.joinable()) {
      {
        std::lock_guard lock(mMutex);
        mStop = true;
      }
      mDone.notify_all();
      mSampler.join();
      for (const auto& [pid, seconds] : TreeCpu()) mLast[pid] = seconds;
    }
    double total = 0;
    for (const auto& [pid, seconds] : mLast) {
      auto start = mStart.find(pid);
      total += seconds - (start == mStart.end() ? 0 : start->second);
    }
    return total;
  }

 private:
  const std::map<long, double> mStart;
  std::map<long, double> mLast;
  std::mutex mMutex;
  std::condition_variable mDone;
  bool mStop = false;
  std::thread mSampler;
};

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Crawl(const std::string& label, const std::string& startUrl, int linkLevels, int pagesAtOnce,
           PageBrowser& browser, QtEventPump& pump, const std::filesystem::path& program,
           bool scriptOptions = false) {
  TaskRecord task;
  task.StartUrl = startUrl;
  task.LinkLevels = linkLevels;
  task.IdleSeconds = 10;
  task.TaskFolder = (program / "pictures").string();
  task.FolderName = "bench";
  CrawlState state;
  std::vector<PictureEntry> rows;
  RunState run;
  SilentPrompts prompts;
  CountingStatus status;
  NoHooks hooks;
  AdvancedSettings options;
  options.PagesAtOnce = pagesAtOnce;
  options.BrowserPictures = scriptOptions;
  options.RunPageScripts = scriptOptions;
  Crawler crawler(program, task, state, rows, run, browser, pump, prompts, status, hooks, options);

  TreeCpuMeter meter;
  const auto start = std::chrono::steady_clock::now();
  crawler.RunCrawl();
  const double seconds = Since(start);
  const double cpu = meter.Seconds();
  std::printf(
      "%s, %2d page(s) at once: %d pages in %.2f s = %.1f pages/s; CPU %.2f s (%.0f %% of one "
      "core, %.1f ms a page); %zu pictures queued\n",
      label.c_str(), pagesAtOnce, status.Pages, seconds, status.Pages / seconds, cpu,
      100 * cpu / seconds, 1000 * cpu / status.Pages, state.Queue.size());
  std::fflush(stdout);
}

int Run(const std::string& startUrl, int linkLevels, const std::string& silentUrl,
        const std::string& slowStartUrl) {
  const std::filesystem::path program =
      std::filesystem::temp_directory_path() / ("vexilo-crawl-bench-" + std::to_string(getpid()));
  // Every crawl fetches every page: none may come from the cache of the one before.
  QWebEngineProfile::defaultProfile()->setHttpCacheType(QWebEngineProfile::NoCache);
  QtEventPump pump;
  WebEnginePageBrowser browser;
  // Start the browser processes before the clock runs.
  browser.Navigate("about:blank");
  for (int i = 0; i < 200 && browser.ReadyState() != PageBrowser::kReadyStateComplete; ++i) {
    pump.ProcessEvents();
  }

  for (int pagesAtOnce : {1, 4}) {
    Crawl("loopback", startUrl, linkLevels, pagesAtOnce, browser, pump, program);
  }
  if (!slowStartUrl.empty()) {
    for (int pagesAtOnce : {1, 4}) {
      Crawl("100 ms a page", slowStartUrl, linkLevels, pagesAtOnce, browser, pump, program);
    }
  }

  // "Find pictures the way a browser shows them" and "Run page scripts while crawling" off and
  // on, over the first two levels: with them on every page settles for its growth wait.
  for (int pagesAtOnce : {1, 4}) {
    Crawl("options off", startUrl, 1, pagesAtOnce, browser, pump, program);
  }
  for (const auto growthWait : {std::chrono::milliseconds(1000), std::chrono::milliseconds(50)}) {
    browser.SetSettleLimits({std::chrono::seconds(10), 50, growthWait});
    const std::string label =
        "options on, " + std::to_string(growthWait.count()) + " ms growth wait";
    for (int pagesAtOnce : {1, 4}) {
      Crawl(label, startUrl, 1, pagesAtOnce, browser, pump, program, true);
    }
  }
  browser.SetSettleLimits({});

  // The page wait as the crawl runs it, on an address that accepts and never answers.
  TreeCpuMeter idleMeter;
  const auto idleStart = std::chrono::steady_clock::now();
  browser.Navigate("about:blank");
  browser.Navigate(silentUrl);
  const auto deadline = pump.Now() + std::chrono::seconds(5);
  long polls = 0;
  while (browser.ReadyState() != PageBrowser::kReadyStateComplete && pump.Now() < deadline) {
    pump.ProcessEvents();
    ++polls;
  }
  const double idleSeconds = Since(idleStart);
  const double idleCpu = idleMeter.Seconds();
  std::printf("slow page wait: %.2f s, %ld polls, CPU %.3f s (%.1f %% of one core)\n", idleSeconds,
              polls, idleCpu, 100 * idleCpu / idleSeconds);
  std::error_code ec;
  std::filesystem::remove_all(program, ec);
  return 0;
}

}  // namespace
}  // namespace vexilo

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr,
                 "usage: %s <start address> <link levels> <silent address> [<slow start>]\n",
                 argv[0]);
    return 2;
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  return vexilo::Run(argv[1], std::stoi(argv[2]), argv[3], argc == 5 ? argv[4] : "");
}
