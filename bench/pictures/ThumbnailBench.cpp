// Thumbnails per second on folders of pictures made by make-bench-pictures.sh (JPEG, GIF, BMP,
// PNG, WebP): full-size decode, reduced decode of the kinds that scale while decoding (one
// thread and all cores), the ThumbnailMaker on all cores, and vipsthumbnail --size 80x80 on
// the same files in the same run.
// Folder: $VEXILO_BENCH_PICTURES, else /tmp/vexilo-bench-pictures.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "FolderFiles.h"
#include "pictures/DecodePicture.h"
#include "pictures/ThumbnailMaker.h"

namespace {

using vexilo::DecodePicture;
using vexilo::DecodeReducedPicture;

constexpr std::uint32_t kFace = 0xF0F0F0;

std::filesystem::path BenchFolder() {
  const char* folder = std::getenv("VEXILO_BENCH_PICTURES");
  return folder ? folder : "/tmp/vexilo-bench-pictures";
}

unsigned Cores() { return std::max(1u, std::thread::hardware_concurrency()); }

template <typename Work>
void OnAllCores(const std::vector<std::string>& files, Work work) {
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (unsigned i = 0; i < Cores(); ++i) {
    threads.emplace_back([&] {
      for (size_t at = next++; at < files.size(); at = next++) work(files[at]);
    });
  }
  for (std::thread& thread : threads) thread.join();
}

void FullDecode(benchmark::State& state, const std::vector<std::string>& files) {
  for (auto _ : state) {
    for (const std::string& file : files) benchmark::DoNotOptimize(DecodePicture(file));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
}

void ReducedDecode(benchmark::State& state, const std::vector<std::string>& files) {
  for (auto _ : state) {
    for (const std::string& file : files) {
      benchmark::DoNotOptimize(DecodeReducedPicture(file, 64));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
}

void ReducedDecodeAllCores(benchmark::State& state, const std::vector<std::string>& files) {
  for (auto _ : state) {
    OnAllCores(files, [](const std::string& file) {
      benchmark::DoNotOptimize(DecodeReducedPicture(file, 64));
    });
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
}

void MakerAllCores(benchmark::State& state, const std::vector<std::string>& files) {
  int failures = 0;
  for (auto _ : state) {
    vexilo::ThumbnailMaker maker(files, kFace);
    for (int i = 0; i < maker.Count(); ++i) failures += maker.Next().Ok() ? 0 : 1;
  }
  if (failures > 0) state.SkipWithError("some pictures failed");
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
}

void Vipsthumbnail(benchmark::State& state, const std::vector<std::string>& files) {
  std::filesystem::path out = std::filesystem::temp_directory_path() / "vexilo-bench-vips";
  std::filesystem::create_directories(out);
  std::string command = "vipsthumbnail --size 80x80 -o '" + out.string() + "/%s.jpg'";
  for (const std::string& file : files) command += " '" + file + "'";
  command += " 2>/dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("vipsthumbnail failed");
  }
  std::filesystem::remove_all(out);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  struct Set {
    const char* name;
    bool scaled;  // decoded smaller for a thumbnail (JPEG, WebP)
  };
  for (Set set : {Set{"large", true}, Set{"small", true}, Set{"gif", false}, Set{"bmp", false},
                  Set{"png", false}, Set{"webp", true}}) {
    std::vector<std::string> files = vexilo::bench::SortedFolderFiles(BenchFolder() / set.name);
    if (files.empty()) {
      std::fprintf(stderr, "no pictures in %s: run make-bench-pictures.sh\n",
                   (BenchFolder() / set.name).c_str());
      return 1;
    }
    std::string name = std::string(set.name) + "/" + std::to_string(files.size());
    auto add = [&](const char* what,
                   void (*run)(benchmark::State&, const std::vector<std::string>&)) {
      benchmark::RegisterBenchmark((std::string(what) + "/" + name).c_str(), run, files)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->MinTime(1.0);
    };
    add("FullDecode", FullDecode);
    if (set.scaled) {
      add("ReducedDecode", ReducedDecode);
      add("ReducedDecodeAllCores", ReducedDecodeAllCores);
    }
    add("ThumbnailMakerAllCores", MakerAllCores);
    add("Vipsthumbnail", Vipsthumbnail);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
