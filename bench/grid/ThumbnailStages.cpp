// Where a cold listing's time goes, one stage at a time on one thread: the reduced decode
// the grid needs, the larger one a cache entry needs, the shrink, the PNG, the entry's file,
// the 80 x 80 thumbnail and its packing; and what the packed thumbnails of the folder take.
//   thumbnail_stages <folder> [pictures, default 1000]

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "pictures/DecodePicture.h"
#include "pictures/PackedBitmap.h"
#include "pictures/PngWriter.h"
#include "pictures/ShrinkBitmap.h"
#include "pictures/Thumbnail.h"
#include "pictures/ThumbnailCache.h"

namespace {

using vexilo::Bitmap24;
using vexilo::ReducedPicture;

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Prints wall and CPU milliseconds per picture of `stage` run over every index: on a busy
// machine the CPU time is the steadier figure, and a gap between them is time spent waiting.
void Stage(const char* name, std::size_t count, const std::function<void(std::size_t)>& stage) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = ThreadCpuMs();
  for (std::size_t i = 0; i < count; ++i) stage(i);
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  std::printf("  %-20s %.3f / %.3f\n", name, took.count() / static_cast<double>(count),
              (ThreadCpuMs() - cpuStart) / static_cast<double>(count));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder> [pictures]\n", argv[0]);
    return 2;
  }
  const std::size_t most = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000;
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
    if (paths.size() == most) break;
    paths.push_back(entry.path());
  }
  const std::size_t n = paths.size();
  std::vector<ReducedPicture> small(n), large(n), normal(n);
  std::vector<std::string> png(n);
  std::vector<Bitmap24> thumbnails(n);
  std::size_t pngBytes = 0, packedBytes = 0;
  const auto cacheHome = std::filesystem::temp_directory_path() / "vexilo-thumbnail-stages";
  std::filesystem::remove_all(cacheHome);
  const vexilo::ThumbnailCache cache(cacheHome / "thumbnails" / "normal");

  std::printf("%zu pictures, ms per picture on one thread (wall / CPU):\n", n);
  Stage("decode for 64 px", n,
        [&](std::size_t i) { small[i] = vexilo::DecodeReducedPicture(paths[i], 64); });
  Stage("decode for 128 px", n, [&](std::size_t i) {
    large[i] = vexilo::DecodeReducedPicture(paths[i], vexilo::kNormalThumbnailSide);
  });
  Stage("shrink to 128 px", n, [&](std::size_t i) {
    normal[i] = {vexilo::ShrinkToFit(large[i].Pixels, vexilo::kNormalThumbnailSide),
                 large[i].FullWidth,
                 large[i].FullHeight,
                 {}};
  });
  Stage("PNG of 128 px", n, [&](std::size_t i) {
    png[i] = vexilo::EncodePng(normal[i].Pixels);
    pngBytes += png[i].size();
  });
  Stage("whole entry write", n, [&](std::size_t i) { cache.Write(paths[i], normal[i]); });
  Stage("entry read", n, [&](std::size_t i) { (void)cache.Read(paths[i]); });
  Stage("80 x 80 from 128", n, [&](std::size_t i) {
    thumbnails[i] = vexilo::MakeThumbnail(normal[i].Pixels, normal[i].FullWidth,
                                          normal[i].FullHeight, 0xD4D0C8);
  });
  Stage("80 x 80 from 64", n, [&](std::size_t i) {
    (void)vexilo::MakeThumbnail(small[i].Pixels, small[i].FullWidth, small[i].FullHeight, 0xD4D0C8);
  });
  Stage("pack", n,
        [&](std::size_t i) { packedBytes += vexilo::PackedBitmap(thumbnails[i]).PackedBytes(); });
  std::printf("PNG %.1f KB, packed thumbnail %.1f KB on average\n", pngBytes / 1024.0 / n,
              packedBytes / 1024.0 / n);
  std::filesystem::remove_all(cacheHome);
  return 0;
}
