// Time from the Space key to the next picture painted in the viewer, with the neighbours
// decoded ahead on the worker and, in the same run, with every picture decoded on the main
// thread when it is needed; the first opening; and the most memory the viewer's pictures
// hold, in pictures, beside the peak resident size.
//   QT_QPA_PLATFORM=offscreen viewer_bench <folder of pictures> [steps]

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "../pictures/FolderFiles.h"
#include "core/UserPrompts.h"
#include "pictures/ImageFileList.h"
#include "viewer/PictureArea.h"
#include "viewer/UnitFormView.h"
#include "viewer/ViewerHost.h"
#include "viewer/WallpaperSetter.h"

namespace {

using Clock = std::chrono::steady_clock;

class BenchHost : public vexilo::ViewerHost {
 public:
  explicit BenchHost(int count) : mCount(count) {}
  int GridCount() const override { return mCount; }
  int SelectedGridItem() const override { return 0; }
  void SelectGridItem(int) override {}
  void ShowMainWindow() override {}
  void HideMainWindow() override {}
  void ShutDownApplication() override {}

 private:
  int mCount;
};

class NoWallpaper : public vexilo::WallpaperSetter {
 public:
  void SetWallpaper(const std::string&) override {}
};

class NoPrompts : public vexilo::UserPrompts {
 public:
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool AskYesNo(const std::string&) override { return false; }
  void ShowError(const std::string& text) override { ShowMessage(text); }
  void ShowErrorWithYes(const std::string& text) override { ShowMessage(text); }
};

int gUnpainted = 0;  // steps after which nothing was painted: their times would mean nothing

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// VmRSS or VmHWM in MB.
double StatusMb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::string(field).size())) / 1024;
  }
  if (gUnpainted > 0) std::printf("WARNING: %d steps were not painted\n", gUnpainted);
  return gUnpainted > 0 ? 1 : 0;
}

void Report(const char* what, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const auto at = [&times](double q) { return times[static_cast<size_t>(q * (times.size() - 1))]; };
  std::printf("%-34s median %7.1f ms   p90 %7.1f ms   max %7.1f ms   (%zu steps)\n", what, at(0.5),
              at(0.9), times.back(), times.size());
}

// Space, then the picture area painted: what the user waits for.
double StepTime(vexilo::TFormView& view) {
  const int paints = view.PictureArea()->PaintCount();
  const Clock::time_point start = Clock::now();
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
  QApplication::sendEvent(&view, &press);
  view.PictureArea()->viewport()->repaint();
  const double ms = Ms(Clock::now() - start);
  if (view.PictureArea()->PaintCount() == paints) ++gUnpainted;
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder of pictures> [steps]\n", argv[0]);
    return 2;
  }
  const std::vector<std::string> files = vexilo::bench::SortedFolderFiles(argv[1]);
  const int steps = argc > 2 ? std::stoi(argv[2]) : 60;
  if (files.size() < 3) {
    std::fprintf(stderr, "need at least three pictures\n");
    return 2;
  }
  vexilo::TImageFileList pictures;
  for (const std::string& file : files) pictures.Add(file);
  BenchHost host(pictures.Count());
  NoPrompts prompts;
  NoWallpaper wallpaper;
  vexilo::TFormView view(pictures, host, prompts, wallpaper, {});
  // Qt's own start-up (style, fonts, the window's backing store) is not the viewer's.
  view.showMaximized();
  // Painting needs the window exposed, which the platform reports through the event queue.
  for (int i = 0; i < 20 && !view.windowHandle()->isExposed(); ++i) QApplication::processEvents();
  view.PictureArea()->viewport()->repaint();
  const double baseRss = StatusMb("VmRSS:");
  Clock::time_point start = Clock::now();
  view.OpenViewer();
  view.PictureArea()->viewport()->repaint();
  const double firstOpen = Ms(Clock::now() - start);
  const QSize area = view.PictureArea()->viewport()->size();
  const auto picture = view.PictureArea()->Picture();
  const double pictureMb = static_cast<double>(picture->SizeBytes()) / (1024 * 1024);
  const double screenMb = area.width() * area.height() * 4.0 / (1024 * 1024);
  std::printf("%d pictures, the first %d x %d (%.1f MB decoded); picture area %d x %d\n",
              pictures.Count(), picture->Width(), picture->Height(), pictureMb, area.width(),
              area.height());
  std::printf("first open (decode on the main thread, painted)   %7.1f ms\n", firstOpen);

  // Read ahead: each step starts once the neighbour is ready, as when the user looks at a
  // picture for a moment before pressing Space.
  std::vector<double> ahead;
  double mostHeldMb = 0;
  for (int i = 0; i < steps; ++i) {
    view.Cache().WaitIdle();
    mostHeldMb = std::max(mostHeldMb, view.Cache().HeldBytes() / (1024.0 * 1024));
    ahead.push_back(StepTime(view));
    mostHeldMb = std::max(mostHeldMb, view.Cache().HeldBytes() / (1024.0 * 1024));
  }
  view.Cache().WaitIdle();
  const double aheadPeakRss = StatusMb("VmHWM:") - baseRss;

  // Pressed at once again and again: the worker has no head start beyond the current step.
  std::vector<double> rushed;
  for (int i = 0; i < steps / 2; ++i) rushed.push_back(StepTime(view));

  view.SetReadAhead(false);
  std::vector<double> mainThread;
  for (int i = 0; i < steps; ++i) mainThread.push_back(StepTime(view));

  Report("Space, neighbour decoded ahead", ahead);
  Report("Space, held down (no pause)", rushed);
  Report("Space, full decode on main thread", mainThread);
  std::printf(
      "pictures held by the read-ahead at most: %.1f MB = %.2f pictures (+1 on show "
      "when it is not among them)\n",
      mostHeldMb, mostHeldMb / pictureMb);
  std::printf(
      "peak resident growth during read-ahead: %.1f MB; goal: 3 pictures + one "
      "screen = %.1f MB\n",
      aheadPeakRss, 3 * pictureMb + screenMb);
  std::printf(
      "(glibc keeps freed 17 MB blocks once its dynamic mmap threshold has risen; "
      "MALLOC_MMAP_THRESHOLD_=4194304 shows the pixels alone)\n");
  if (gUnpainted > 0) std::printf("WARNING: %d steps were not painted\n", gUnpainted);
  return gUnpainted > 0 ? 1 : 0;
}
