// The viewer's playing of a long animation: a GIF of 500 full frames of 800 x 600 (a block
// that moves over a patterned screen, each frame with a delay of 40 ms), decoded frame by frame
// as the viewer plays it, each frame copied out as the viewer shows it. CPU time per frame and
// the peak resident size it adds, beside what keeping all frames decoded would take.
//   animation_bench [frames, default 500]

#include <gif_lib.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "pictures/PictureAnimation.h"

namespace {

constexpr int kWidth = 800, kHeight = 600, kBlock = 120;

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// VmHWM in MB.
double PeakMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  }
  return 0;
}

bool WriteAnimation(const std::string& file, int frames) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(file.c_str(), false, &error);
  if (!gif) return false;
  EGifSetGifVersion(gif, true);
  GifColorType colours[256];
  for (int c = 0; c < 256; ++c) {
    colours[c] = {static_cast<GifByteType>(c), static_cast<GifByteType>(255 - c),
                  static_cast<GifByteType>((c * 7) & 255)};
  }
  ColorMapObject* palette = GifMakeMapObject(256, colours);
  bool ok = EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, palette) == GIF_OK;
  GifByteType loop[] = {1, 0, 0};
  ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
       EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK &&
       EGifPutExtensionBlock(gif, 3, loop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
  std::vector<GifPixelType> row(kWidth);
  for (int f = 0; ok && f < frames; ++f) {
    GraphicsControlBlock control{};
    control.DelayTime = 4;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
         GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr) == GIF_OK;
    const int bx = (f * 7) % (kWidth - kBlock), by = (f * 5) % (kHeight - kBlock);
    for (int y = 0; ok && y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const bool block = x >= bx && x < bx + kBlock && y >= by && y < by + kBlock;
        row[static_cast<size_t>(x)] =
            static_cast<GifPixelType>(block ? 255 : (x / 16 + y / 16) % 64);
      }
      ok = EGifPutLine(gif, row.data(), kWidth) == GIF_OK;
    }
  }
  ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
  GifFreeMapObject(palette);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(2, std::atoi(argv[1])) : 500;
  const std::filesystem::path folder = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
  const std::string file = (folder / "vexilo-animation-bench.gif").string();
  if (!WriteAnimation(file, frames)) {
    std::fprintf(stderr, "could not write %s\n", file.c_str());
    return 1;
  }
  const double before = PeakMb();
  std::unique_ptr<vexilo::PictureAnimation> animation = vexilo::OpenAnimation(file);
  if (!animation) return 1;
  const double start = ThreadCpuMs();
  int shown = 0;
  long long delays = 0;
  while (shown < frames) {
    std::optional<vexilo::AnimationFrame> frame = animation->Next();
    if (!frame) break;
    // As the viewer shows it: a copy the picture area keeps.
    auto copy = std::make_shared<const vexilo::Bitmap24>(*frame->Canvas);
    delays += frame->Delay.count();
    ++shown;
  }
  const double cpu = ThreadCpuMs() - start;
  const double added = PeakMb() - before;
  std::filesystem::remove(file);
  const double allFrames = double(frames) * kWidth * kHeight * 3 / (1024.0 * 1024.0);
  std::printf("GIF of %d frames of %d x %d, %lld ms of playing\n", shown, kWidth, kHeight, delays);
  std::printf("CPU per frame (decode and copy)       %8.2f ms (%.0f%% of one core at its pace)\n",
              cpu / shown, 100.0 * cpu / static_cast<double>(delays));
  std::printf("peak resident size added              %8.1f MB\n", added);
  std::printf("all frames decoded and kept would be  %8.1f MB\n", allFrames);
  return 0;
}
