// Lists one folder of pictures with the ThumbnailMaker, as a grid build does, and prints
// how many were read and how long it took; run it under /usr/bin/time -v for the peak
// memory. run-memory-bench.sh does so on the folders of make-bomb-pictures.sh.
//   picture_memory_bench <folder> [threads, default one per core]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FolderFiles.h"
#include "pictures/DecodeBudget.h"
#include "pictures/ThumbnailMaker.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder> [threads]\n", argv[0]);
    return 2;
  }
  const std::vector<std::string> files = vexilo::bench::SortedFolderFiles(argv[1]);
  const unsigned threads = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 0;

  const auto start = std::chrono::steady_clock::now();
  int read = 0;
  {
    vexilo::ThumbnailMaker maker(files, 0xF0F0F0, threads);
    for (int i = 0; i < maker.Count(); ++i) read += maker.Next().Ok() ? 1 : 0;
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("%zu files, %d read, %zu refused, %.2f s, decode budget peak %.1f megapixels\n",
              files.size(), read, files.size() - static_cast<size_t>(read), elapsed.count(),
              static_cast<double>(vexilo::DecodeBudget::Shared().PeakHeld()) / 1e6);
  return 0;
}
