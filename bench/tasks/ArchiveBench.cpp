// The picture archive's costs on the main thread: one queued and downloaded picture written as
// the crawl and the downloads write it (two commits), and the opening of an archive of 20,000
// pictures with its check. The folder is under /tmp (TMPDIR to move it).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tasks/PictureArchive.h"

namespace vexilo {
namespace {

std::filesystem::path BenchFolder(const char* name) {
  const char* tmp = std::getenv("TMPDIR");
  std::filesystem::path folder = std::filesystem::path(tmp != nullptr ? tmp : "/tmp") /
                                 (std::string(name) + "-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

std::string Address(int n) {
  return "http://img.site.com/pics/2024/picture" + std::to_string(n) + ".jpg";
}

void WritePicture(PictureArchive& archive, int n) {
  archive.Queued("www.site.com", Address(n),
                 "/home/user/Pictures/Vexilo/www.site.com/" + std::to_string(n) + ".jpg");
  archive.Fetched("www.site.com", Address(n),
                  {static_cast<std::uint64_t>(n) * 0x9e3779b97f4a7c15u, 250000, 1920, 1080});
}

void QueuedAndFetched(benchmark::State& bench) {
  const std::filesystem::path folder = BenchFolder("vexilo-archive-bench");
  std::string notice;
  auto archive = PictureArchive::Open(folder, SystemWallClock(), notice);
  int n = 0;
  for (auto _ : bench) WritePicture(*archive, n++);
  archive.reset();
  std::filesystem::remove_all(folder);
}
BENCHMARK(QueuedAndFetched)->Unit(benchmark::kMicrosecond);

void OpenWithCheck(benchmark::State& bench) {
  const std::filesystem::path folder = BenchFolder("vexilo-archive-open-bench");
  std::string notice;
  {
    auto archive = PictureArchive::Open(folder, SystemWallClock(), notice);
    archive->InOneWrite([&] {
      for (int n = 0; n < bench.range(0); ++n) WritePicture(*archive, n);
    });
  }
  for (auto _ : bench)
    benchmark::DoNotOptimize(PictureArchive::Open(folder, SystemWallClock(), notice));
  bench.counters["KB"] =
      static_cast<double>(std::filesystem::file_size(folder / PictureArchive::kFileName) / 1024);
  std::filesystem::remove_all(folder);
}
BENCHMARK(OpenWithCheck)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vexilo

BENCHMARK_MAIN();
