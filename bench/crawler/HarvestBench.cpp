// Harvesting one page into a crawl state that already holds many addresses: the hash sets
// beside the lists against the plain linear scans of the lists.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "NoHooks.h"
#include "core/TextRules.h"
#include "core/UrlUtils.h"
#include "crawler/CrawlIndexes.h"
#include "crawler/LinkHarvester.h"
#include "crawler/PictureHarvester.h"
#include "crawler/SavePaths.h"

namespace vexilo {
namespace {

constexpr int kLinksPerPage = 100;
constexpr int kImagesPerPage = 40;

std::string PageAddress(long n) {
  return "http://www.site.com/pages/p" + std::to_string(n) + ".html";
}
std::string PictureAddress(long n) {
  return "http://img.site.com/pics/" + std::to_string(n) + ".jpg";
}

CrawlState StateWith(long addresses, const std::string& folder) {
  CrawlState state;
  for (long n = 0; n < addresses; ++n) {
    state.VisitedUrls.push_back(PageAddress(n));
    state.Queue.push_back({PictureAddress(n), folder + "/" + std::to_string(n) + ".jpg"});
  }
  return state;
}

// Half of every page is new, half was gathered long ago.
PageDocument NextPage(long& fresh, long known) {
  PageDocument page;
  for (int i = 0; i < kLinksPerPage; ++i) {
    page.Links.push_back(PageAddress(i % 2 == 0 ? fresh++ : (fresh * 7 + i) % known));
  }
  for (int i = 0; i < kImagesPerPage; ++i) {
    page.Images.push_back(
        {PictureAddress(i % 2 == 0 ? fresh++ : (fresh * 3 + i) % known), 200, 200});
  }
  return page;
}

std::filesystem::path BenchFolder() {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "vexilo-harvest-bench";
  std::filesystem::create_directories(folder);
  return folder;
}

void BM_HarvestWithHashSets(benchmark::State& bench) {
  const long known = bench.range(0);
  const std::string folder = BenchFolder().string();
  TaskRecord task;
  CrawlState state = StateWith(known, folder);
  CrawlIndexes indexes(state);
  indexes.Rebuild();
  std::vector<PictureEntry> rows;
  RunState run;
  NoHooks hooks;
  LinkHarvester links(task, indexes);
  PictureHarvester pictures(task, indexes, rows, run, hooks);
  links.StartCrawl(PageAddress(0));
  pictures.StartCrawl(folder);
  long fresh = known;
  for (auto _ : bench) {
    bench.PauseTiming();
    PageDocument page = NextPage(fresh, known);
    bench.ResumeTiming();
    links.HarvestLinks(page);
    pictures.HarvestPictures(page);
  }
  bench.SetItemsProcessed(bench.iterations());
}

// The same tests with the duplicate checks done as scans of the lists.
void BM_HarvestWithLinearScans(benchmark::State& bench) {
  const long known = bench.range(0);
  const std::string folder = BenchFolder().string();
  CrawlState state = StateWith(known, folder);
  LinkScope scope(0, PageAddress(0));
  SaveNumbers saveNumbers;
  long fresh = known;
  for (auto _ : bench) {
    bench.PauseTiming();
    PageDocument page = NextPage(fresh, known);
    bench.ResumeTiming();
    for (const std::string& link : page.Links) {
      if (!scope.Allows(link) || !IsPageLink(LowerAscii(link))) continue;
      auto& temp = state.TempUrls;
      auto& visited = state.VisitedUrls;
      if (std::find(temp.begin(), temp.end(), link) != temp.end()) continue;
      if (std::find(visited.begin(), visited.end(), link) != visited.end()) continue;
      temp.push_back(link);
    }
    for (const PageImage& image : page.Images) {
      std::string address = WithSpacesDecodedOnce(image.Href);
      const std::string trimmed = Trim(address);
      bool queued =
          std::any_of(state.Queue.begin(), state.Queue.end(),
                      [&](const QueuedPicture& entry) { return Trim(entry.Url) == trimmed; });
      if (queued) continue;
      std::string savePath = MakeSavePath(
          folder, address,
          [&](const std::string& path) {
            return std::any_of(state.Queue.begin(), state.Queue.end(),
                               [&](const QueuedPicture& entry) { return entry.SavePath == path; });
          },
          saveNumbers);
      state.Queue.push_back({address, std::move(savePath)});
    }
  }
  bench.SetItemsProcessed(bench.iterations());
}

BENCHMARK(BM_HarvestWithHashSets)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HarvestWithLinearScans)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vexilo

BENCHMARK_MAIN();
