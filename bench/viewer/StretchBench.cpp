// The wallpaper's smoothing stretch, 4000 x 3000 to 1920 x 1080, against the same formula as a
// straightforward C loop on all cores (rows shared out, one pixel at a time, its edge
// branches inside) and as the single-thread loop it replaced; then, in the same run,
// `vips resize --kernel linear` on the same picture. Output megapixels a second, medians.
//   stretch_bench [rounds]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "pictures/Bitmap24.h"
#include "viewer/stretch.h"

namespace {

using Clock = std::chrono::steady_clock;
using vexilo::Bitmap24;
using vexilo::Dib24;

constexpr int kSourceWidth = 4000, kSourceHeight = 3000, kWidth = 1920, kHeight = 1080;

// Rows first .. end of the formula, written as one would at first.
void LoopRows(Dib24& dib, const Bitmap24& src, int first, int end) {
  const std::int32_t xStep = ((kSourceWidth - 1) * 32768) / dib.Width;
  const std::int32_t yStep = ((kSourceHeight - 1) * 32768) / dib.Height;
  for (int row = first; row < end; ++row) {
    const std::int32_t ySource = row * yStep;
    const std::int32_t iy = ySource >> 15;
    const std::uint8_t* row0 = src.Bits() + static_cast<std::ptrdiff_t>(iy) * src.Stride();
    const std::uint8_t* row1 = iy < kSourceHeight - 1 ? row0 + src.Stride() : row0;
    const std::uint32_t fy = ySource & 0x7FFF, gy = 32768 - fy;
    std::uint8_t* out = dib.Bits + static_cast<std::ptrdiff_t>(row) * dib.RowLength;
    std::int32_t xSource = 0;
    for (int column = 0; column < dib.Width; ++column) {
      const std::int32_t ix = xSource >> 15;
      const std::uint8_t* p00 = row0 + 3 * ix;
      const std::uint8_t* p10 = row1 + 3 * ix;
      const std::uint8_t* p01 = ix < kSourceWidth - 1 ? p00 + 3 : p00;
      const std::uint8_t* p11 = ix < kSourceWidth - 1 ? p10 + 3 : p10;
      const std::uint32_t fx = xSource & 0x7FFF;
      const std::uint32_t w01 = (fx * gy) >> 15, w00 = gy - w01;
      const std::uint32_t w11 = (fx * fy) >> 15, w10 = fy - w11;
      for (int byte = 0; byte < 3; ++byte) {
        out[byte] = static_cast<std::uint8_t>(
            (p00[byte] * w00 + p01[byte] * w01 + p10[byte] * w10 + p11[byte] * w11) >> 15);
      }
      out += 3;
      xSource += xStep;
    }
  }
}

void LoopOnAllCores(Dib24& dib, const Bitmap24& src) {
  const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  std::vector<std::jthread> helpers;
  for (int part = 1; part < threads; ++part) {
    helpers.emplace_back([&, part] {
      LoopRows(dib, src, dib.Height * part / threads, dib.Height * (part + 1) / threads);
    });
  }
  LoopRows(dib, src, 0, dib.Height / threads);
}

double MedianMpxPerSecond(int rounds, const std::function<void()>& run) {
  std::vector<double> rates;
  for (int i = 0; i < rounds; ++i) {
    const auto start = Clock::now();
    run();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    rates.push_back(kWidth * kHeight / 1e6 / seconds);
  }
  std::sort(rates.begin(), rates.end());
  return rates[rates.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
  Bitmap24 src(kSourceWidth, kSourceHeight);
  std::mt19937 random(1);
  for (std::size_t i = 0; i < std::size_t{kSourceHeight} * src.Stride(); ++i) {
    src.Bits()[i] = static_cast<std::uint8_t>(random());
  }
  Dib24 dib;
  dib.Width = kWidth;
  dib.Height = kHeight;
  vexilo::CreateDib24(dib);
  Bitmap24 wallpaper(kWidth, kHeight);

  const double ours = MedianMpxPerSecond(rounds, [&] {
    vexilo::StretchBitmapSmooth(wallpaper, 0, 0, kWidth, kHeight, src, 0, 0, kSourceWidth,
                                kSourceHeight);
  });
  const double loop = MedianMpxPerSecond(rounds, [&] { LoopOnAllCores(dib, src); });
  const double single = MedianMpxPerSecond(rounds, [&] { LoopRows(dib, src, 0, kHeight); });

  // vips, from its own file format in memory, so that neither decoding nor encoding counts.
  const std::string folder = "/dev/shm/vexilo-stretch-bench";
  std::system(("mkdir -p " + folder + " && vips black " + folder +
               "/src.v 4000 3000 --bands 3 && vips gaussnoise " + folder +
               "/noise.v 4000 3000 && vips cast " + folder + "/noise.v " + folder + "/src.v uchar")
                  .c_str());
  const std::string resize =
      "vips resize " + folder + "/src.v " + folder + "/out.v 0.48 --vscale 0.36 --kernel linear";
  const double vips = MedianMpxPerSecond(rounds, [&] {
    if (std::system(resize.c_str()) != 0) std::fprintf(stderr, "vips failed\n");
  });
  std::system(("rm -rf " + folder).c_str());

  std::printf("%-44s %10s %8s\n", "4000 x 3000 to 1920 x 1080", "Mpx/s", "ours is");
  std::printf("%-44s %10.0f\n", "BilinearStretch24 (StretchBitmapSmooth)", ours);
  std::printf("%-44s %10.0f %7.2fx\n", "the same formula, C loop on all cores", loop, ours / loop);
  std::printf("%-44s %10.0f %7.2fx\n", "the same formula, one thread (the old one)", single,
              ours / single);
  std::printf("%-44s %10.0f %7.2fx\n", "vips resize --kernel linear", vips, ours / vips);
  return 0;
}
