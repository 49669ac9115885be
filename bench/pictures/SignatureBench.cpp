// Signatures beside thumbnails on the same files (the photos of make-signature-pairs.sh, one
// thread, the thumbnail cache off): the thumbnail alone, thumbnail and signature from one
// decode, and the signature alone from the decoded pixels. Then lookups in a CopyFinder of
// 100,000 kept pictures (paths as a crawl names them), for new pictures and for copies of
// kept ones, with the finder's bytes; and the second stage's cost per candidate: the pixel
// comparison alone, and with the kept picture's normal reduction read from the thumbnail
// cache or decoded again.
// Folder: $VEXILO_SIGNATURE_PAIRS, else /tmp/vexilo-signature-pairs.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "pictures/CopyFinder.h"
#include "pictures/DecodePicture.h"
#include "pictures/PixelComparison.h"
#include "pictures/ShrinkBitmap.h"
#include "pictures/ThumbnailCache.h"
#include "pictures/ThumbnailMaker.h"

namespace {

using vexilo::CopyFinder;
using vexilo::PictureSignature;

constexpr std::uint32_t kFace = 0xF0F0F0;
constexpr int kIndexEntries = 100'000;

std::vector<std::string> Photos() {
  const char* folder = std::getenv("VEXILO_SIGNATURE_PAIRS");
  std::filesystem::path root = folder ? folder : "/tmp/vexilo-signature-pairs";
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
    if (std::filesystem::exists(entry.path() / "base.jpg")) {
      files.push_back((entry.path() / "base.jpg").string());
    }
  }
  return files;
}

void Thumbnails(benchmark::State& state, const std::vector<std::string>& files) {
  for (auto _ : state) {
    for (const std::string& file : files) {
      benchmark::DoNotOptimize(vexilo::MakeThumbnailResult(file, kFace));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
}

void ThumbnailsWithSignatures(benchmark::State& state, const std::vector<std::string>& files) {
  for (auto _ : state) {
    for (const std::string& file : files) {
      benchmark::DoNotOptimize(vexilo::MakeSignedThumbnailResult(file, kFace));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
}

void SignaturesOfDecodedPixels(benchmark::State& state, const std::vector<std::string>& files) {
  std::vector<vexilo::ReducedPicture> normals;
  for (const std::string& file : files) {
    vexilo::ReducedPicture picture =
        vexilo::DecodeReducedPicture(file, vexilo::kNormalThumbnailSide);
    normals.push_back({vexilo::ShrinkToFit(picture.Pixels, vexilo::kNormalThumbnailSide),
                       picture.FullWidth,
                       picture.FullHeight,
                       {}});
  }
  for (auto _ : state) {
    for (const auto& normal : normals) {
      benchmark::DoNotOptimize(vexilo::MakePictureSignature(normal));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(normals.size()));
}

PictureSignature RandomSignature(std::mt19937_64& random) {
  PictureSignature signature;
  // Hashes of real pictures hold as many ones as zeros; random ones come near that.
  signature.Hash = random();
  signature.FullWidth = 1600;
  signature.FullHeight = 1000;
  for (auto& value : signature.Tone) value = static_cast<std::uint16_t>(random() % 16000);
  return signature;
}

// A crawl's file names: a few hundred folders of a site, each picture named as a server might.
std::string KeptPath(int i) {
  return "/home/someone/Downloads/Vexilo/www.example.org/albums/" + std::to_string(i % 300) +
         "/IMG_" + std::to_string(20'230'000 + i) + ".jpg";
}

void Lookups(benchmark::State& state, bool copies) {
  std::mt19937_64 random(27);
  CopyFinder finder;
  std::vector<PictureSignature> kept;
  for (int i = 0; i < kIndexEntries; ++i) {
    kept.push_back(RandomSignature(random));
    finder.Keep(KeptPath(i), kept.back());
  }
  std::vector<PictureSignature> probes;
  for (int i = 0; i < 1000; ++i) {
    PictureSignature probe = copies ? kept[random() % kept.size()] : RandomSignature(random);
    // A copy's hash differs in a few bits, as a smaller one's does.
    if (copies) probe.Hash ^= (std::uint64_t{1} << (random() % 64)) | (1u << (random() % 32));
    probes.push_back(probe);
  }
  // The kept paths are not there: a copy's candidate costs the first stage and a failed read,
  // which the second-stage benchmarks below measure apart.
  const vexilo::ReducedPicture normal{vexilo::Bitmap24(128, 80), 1600, 1000, {}};
  for (auto _ : state) {
    for (const PictureSignature& probe : probes) {
      benchmark::DoNotOptimize(finder.FindSame(probe, normal));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(probes.size()));
  state.counters["finder_MB"] = static_cast<double>(finder.MemoryBytes()) / 1e6;
}

// The normal reductions of the photos and of their 25 % copies, as the second stage compares
// them.
void ComparePixelsOfCopies(benchmark::State& state, const std::vector<std::string>& files) {
  std::vector<std::pair<vexilo::ReducedPicture, vexilo::ReducedPicture>> pairs;
  for (const std::string& file : files) {
    const std::string copy = std::filesystem::path(file).parent_path() / "size25.jpg";
    if (!std::filesystem::exists(copy)) continue;
    pairs.emplace_back(vexilo::NormalReduction(file), vexilo::NormalReduction(copy));
  }
  std::size_t same = 0;
  for (auto _ : state) {
    for (const auto& [kept, added] : pairs) {
      same += vexilo::SamePixels(vexilo::ComparePixels(added.Pixels, kept.Pixels),
                                 std::min(vexilo::LongSide(added), vexilo::LongSide(kept)))
                  ? 1
                  : 0;
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pairs.size()));
  state.counters["same"] =
      static_cast<double>(same) / static_cast<double>(state.iterations() * pairs.size());
}

// What the second stage reads for one candidate: the kept picture's normal reduction from a
// warm thumbnail cache, or decoded again without one.
void ReadKeptNormal(benchmark::State& state, const std::vector<std::string>& files, bool cache) {
  // As deep as the desktop's own: the cache ignores pictures beside its folders.
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / "vexilo-signature-bench-cache";
  const std::filesystem::path folder = root / "thumbnails" / "normal";
  if (cache) {
    std::filesystem::create_directories(folder);
    vexilo::UseThumbnailCacheFolder(folder);
    for (const std::string& file : files) vexilo::NormalReduction(file);
  }
  for (auto _ : state) {
    for (const std::string& file : files) benchmark::DoNotOptimize(vexilo::NormalReduction(file));
  }
  vexilo::UseThumbnailCacheFolder({});
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::vector<std::string> files = Photos();
  if (files.empty()) {
    std::fprintf(stderr, "no photos: run make-signature-pairs.sh\n");
    return 1;
  }
  const std::string count = "/" + std::to_string(files.size());
  for (auto [name, run] : {std::pair{"Thumbnails", &Thumbnails},
                           std::pair{"ThumbnailsWithSignatures", &ThumbnailsWithSignatures},
                           std::pair{"SignaturesOfDecodedPixels", &SignaturesOfDecodedPixels}}) {
    benchmark::RegisterBenchmark((name + count).c_str(), run, files)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::RegisterBenchmark("FinderLookupNew/100000", Lookups, false)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("FinderLookupCopy/100000", Lookups, true)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("SecondStagePixels" + count).c_str(), ComparePixelsOfCopies, files)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("SecondStageReadCached" + count).c_str(), ReadKeptNormal, files,
                               true)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(("SecondStageDecode" + count).c_str(), ReadKeptNormal, files, false)
      ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
