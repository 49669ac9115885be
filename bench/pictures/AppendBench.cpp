// Main-thread time of appending downloaded pictures to the grid: every file of a folder is
// handled as a download worker and its report handle it (the thumbnail made first, as the
// worker makes it, then appended), and the time per picture on each side is printed.
//   QT_QPA_PLATFORM=offscreen append_bench <folder>

#include <QApplication>
#include <QProgressBar>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "FolderFiles.h"
#include "core/StatusSink.h"
#include "core/UserPrompts.h"
#include "pictures/PictureBrowser.h"
#include "pictures/PictureCommands.h"
#include "pictures/PictureGrid.h"
#include "pictures/PreviewPane.h"
#include "pictures/ThumbnailMaker.h"

namespace {

class NoStatus : public vexilo::StatusSink {
 public:
  void SetStatusText(int, const std::string&) override {}
};

class NoPrompts : public vexilo::UserPrompts {
 public:
  void ShowMessage(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return false; }
  void ShowError(const std::string&) override {}
  void ShowErrorWithYes(const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::vector<std::string> files = vexilo::bench::SortedFolderFiles(argv[1]);

  QWidget window;
  auto* grid = new vexilo::TPictureGrid(&window);
  auto* preview = new vexilo::TPreviewPane(&window);
  auto* progress = new QProgressBar(&window);
  NoStatus status;
  NoPrompts prompts;
  vexilo::TImageFileList pictures;
  vexilo::TPictureBrowser browser(window, *grid, *preview, *progress);
  vexilo::PictureCommands commands({pictures, browser, status, prompts});

  using Clock = std::chrono::steady_clock;
  Clock::duration total{};
  Clock::duration worst{};
  Clock::duration worker{};
  const std::uint32_t face = browser.ButtonFace();
  for (const std::string& file : files) {
    const auto made = Clock::now();
    vexilo::Bitmap24 thumbnail;
    try {
      thumbnail = vexilo::MakeFileThumbnail(file, face);
    } catch (const std::exception&) {
      continue;  // not reported at all
    }
    worker += Clock::now() - made;
    const auto start = Clock::now();
    commands.AppendPicture(file, thumbnail);
    const Clock::duration spent = Clock::now() - start;
    total += spent;
    worst = std::max(worst, spent);
  }
  auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  const auto count = static_cast<double>(std::max<size_t>(files.size(), 1));
  std::printf(
      "%zu appended of %zu: main thread %.3f ms per picture, worst %.3f ms; "
      "worker %.3f ms per picture\n",
      static_cast<size_t>(grid->count()), files.size(), ms(total) / count, ms(worst),
      ms(worker) / count);
  return 0;
}
