// One SaveCrawlState of a large crawl over the state it saved before, as the crawl's saves as
// it goes would repeat it: 20,000 visited addresses, 5,000 queued pictures with their rows.
// The folder is under /tmp (TMPDIR to move it): the figure includes the page cache's writes.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/TaskStateFiles.h"

namespace vexilo {
namespace {

std::string PageAddress(int n) {
  return "http://www.site.com/gallery/section" + std::to_string(n % 97) + "/page" +
         std::to_string(n) + ".html";
}

CrawlState LargeState(int visited, int pictures) {
  CrawlState state;
  for (int n = 0; n < visited; ++n) state.VisitedUrls.push_back(PageAddress(n));
  for (int n = 0; n < visited / 10; ++n) state.WantUrls.push_back(PageAddress(visited + n));
  for (int n = 0; n < pictures; ++n) {
    const std::string name = "picture" + std::to_string(n) + ".jpg";
    state.Queue.push_back({"http://img.site.com/pics/2024/" + name,
                           "/home/user/Pictures/Vexilo/www.site.com/" + name, PageAddress(n)});
  }
  state.CrawlLevel = 3;
  state.CrawlIndex = 1234;
  state.DispatchedCount = pictures / 2;
  return state;
}

std::vector<PictureEntry> RowsOf(const CrawlState& state) {
  std::vector<PictureEntry> rows;
  for (const QueuedPicture& picture : state.Queue) {
    rows.push_back(
        {picture.Url.substr(picture.Url.rfind('/') + 1), picture.Url, "1024", "768", picture.Page});
  }
  return rows;
}

void SaveCrawlState(benchmark::State& bench) {
  const CrawlState state =
      LargeState(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)));
  const std::vector<PictureEntry> rows = RowsOf(state);
  const char* tmp = std::getenv("TMPDIR");
  const std::filesystem::path program = std::filesystem::path(tmp != nullptr ? tmp : "/tmp") /
                                        ("vexilo-state-bench-" + std::to_string(::getpid()));
  const TaskStateFiles files(program);
  files.SaveCrawlState("www.site.com", rows, state);
  for (auto _ : bench) files.SaveCrawlState("www.site.com", rows, state);
  std::uintmax_t bytes = 0;
  for (const auto& entry : std::filesystem::directory_iterator(files.StateFolder("www.site.com"))) {
    bytes += entry.file_size();
  }
  bench.counters["state_bytes"] = static_cast<double>(bytes);
  std::filesystem::remove_all(program);
}

BENCHMARK(SaveCrawlState)->Args({20000, 5000})->Args({2000, 500})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vexilo

BENCHMARK_MAIN();
