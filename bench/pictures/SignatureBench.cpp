// Signatures beside thumbnails on the same files (the photos of make-signature-pairs.sh, one
// thread, the thumbnail cache off): the thumbnail alone, thumbnail and signature from one
// decode, and the signature alone from the decoded pixels. Then lookups in an index of
// 100,000 signatures, for new pictures and for copies of kept ones, with the index's bytes.
// Folder: $VEXILO_SIGNATURE_PAIRS, else /tmp/vexilo-signature-pairs.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "pictures/DecodePicture.h"
#include "pictures/ShrinkBitmap.h"
#include "pictures/SignatureIndex.h"
#include "pictures/ThumbnailCache.h"
#include "pictures/ThumbnailMaker.h"

namespace {

using vexilo::PictureSignature;
using vexilo::SignatureIndex;

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
                       picture.FullWidth, picture.FullHeight});
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
  for (auto& cell : signature.Luma) cell = static_cast<std::uint8_t>(random());
  for (auto& value : signature.Tone) value = static_cast<std::uint16_t>(random() % 16000);
  return signature;
}

void Lookups(benchmark::State& state, bool copies) {
  std::mt19937_64 random(27);
  SignatureIndex index;
  std::vector<PictureSignature> kept;
  for (int i = 0; i < kIndexEntries; ++i) {
    kept.push_back(RandomSignature(random));
    index.Add(kept.back());
  }
  std::vector<PictureSignature> probes;
  for (int i = 0; i < 1000; ++i) {
    PictureSignature probe = copies ? kept[random() % kept.size()] : RandomSignature(random);
    // A copy's hash differs in a few bits, as a smaller one's does.
    if (copies) probe.Hash ^= (std::uint64_t{1} << (random() % 64)) | (1u << (random() % 32));
    probes.push_back(probe);
  }
  std::size_t found = 0;
  for (auto _ : state) {
    for (const PictureSignature& probe : probes) found += index.FindSame(probe) ? 1 : 0;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(probes.size()));
  state.counters["found"] =
      static_cast<double>(found) / static_cast<double>(state.iterations() * probes.size());
  state.counters["index_MB"] = static_cast<double>(index.MemoryBytes()) / 1e6;
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
  benchmark::RegisterBenchmark("IndexLookupNew/100000", Lookups, false)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("IndexLookupCopy/100000", Lookups, true)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
