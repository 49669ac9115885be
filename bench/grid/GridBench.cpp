// A folder listed through the real main window, offscreen, as a folder-tree selection lists
// it: the time until the grid first paints a full screen of thumbnails, until the whole grid
// is built, the longest stretch without the event loop running, and the process's peak
// memory; then the same folder listed again (the thumbnail cache warm). At a device pixel
// ratio above 1 (QT_SCALE_FACTOR=2) also the time until a screenful scrolled to is made
// sharp, and what those cost in memory.
//   QT_QPA_PLATFORM=offscreen grid_bench <folder>

#include <malloc.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QListView>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "core/AppFolders.h"
#include "core/DesktopShell.h"
#include "core/SettingsStore.h"
#include "core/UserPrompts.h"
#include "pictures/PictureGrid.h"
#include "pictures/ThumbnailCache.h"
#include "shell/Run.h"
#include "shell/main.h"

namespace {

class MemoryStore : public vexilo::SettingsStore {
 public:
  void Open() override {}
  std::string Read(const std::string& name) override { return mValues[name]; }
  void Write(const std::string& name, const std::string& value) override { mValues[name] = value; }
  void Close() override {}

 private:
  std::map<std::string, std::string> mValues;
};

class NoPrompts : public vexilo::UserPrompts {
 public:
  void ShowMessage(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return false; }
  void ShowError(const std::string&) override {}
  void ShowErrorWithYes(const std::string&) override {}
};

class NoShell : public vexilo::DesktopShell {
 public:
  bool Open(const std::string&) override { return true; }
  std::optional<std::string> PickFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void SetClipboardText(const std::string&) override {}
  bool MoveToTrash(const std::string&) override { return false; }
};

// Kilobytes of a /proc/self/status line such as "VmHWM:".
long StatusKb(const char* name) {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(name))
      return line.mid(static_cast<int>(qstrlen(name))).trimmed().split(' ')[0].toLong();
  }
  return -1;
}

// Notes when the grid's viewport first paints with a screenful of items in the model.
class FirstScreenWatch : public QObject {
 public:
  FirstScreenWatch(QListView& grid, QElapsedTimer& clock) : mGrid(grid), mClock(clock) {
    grid.viewport()->installEventFilter(this);
  }
  void Reset() { mAt = -1; }
  qint64 At() const { return mAt; }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && mAt < 0 && mGrid.model()->rowCount() >= Screenful()) {
      mAt = mClock.elapsed();
    }
    return false;
  }

 private:
  int Screenful() const {
    const QSize cell = mGrid.gridSize();
    const QSize view = mGrid.viewport()->size();
    const int columns = std::max(1, view.width() / cell.width());
    const int rows = (view.height() + cell.height() - 1) / cell.height();
    return columns * rows;
  }

  QListView& mGrid;
  QElapsedTimer& mClock;
  qint64 mAt = -1;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const QString programFolder = QDir::tempPath() + "/vexilo-grid-bench-program";
  QDir().mkpath(programFolder);
  // As the program does at start-up; the run script points XDG_CACHE_HOME at a fresh folder.
  vexilo::UseThumbnailCacheFolder(
      vexilo::ThumbnailCacheFolderFor(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME")));
  MemoryStore store;
  NoPrompts prompts;
  NoShell shell;
  vexilo::TMainForm form(vexilo::AppFolders::Beside(programFolder.toStdString()),
                         {store, prompts, shell});
  form.InitialiseRun();
  form.show();
  QCoreApplication::processEvents();
  auto* grid = form.findChild<vexilo::TPictureGrid*>();

  QElapsedTimer clock;
  FirstScreenWatch watch(*grid, clock);
  // The longest stretch between two turns of the event loop while a listing runs.
  qint64 lastTurn = 0;
  qint64 longestGap = 0;
  QTimer turns;
  turns.setInterval(0);
  QObject::connect(&turns, &QTimer::timeout, &turns, [&] {
    const qint64 now = clock.elapsed();
    longestGap = std::max(longestGap, now - lastTurn);
    lastTurn = now;
  });

  const long rssBefore = StatusKb("VmRSS:");
  std::printf("before listing: VmRSS %ld MB, heap in use %zu MB\n", rssBefore / 1024,
              mallinfo2().uordblks >> 20);
  for (const char* run : {"first listing", "second listing"}) {
    watch.Reset();
    longestGap = 0;
    clock.start();
    lastTurn = 0;
    turns.start();
    form.Run().Pictures().ListFolderPictures(folder);
    const qint64 whole = clock.elapsed();
    // The grid paints what it shows at the end in the next turns of the loop.
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    turns.stop();
    std::size_t packed = 0;
    for (const auto& item : form.Run().PictureSet().Items()) packed += item.Thumbnail.PackedBytes();
    std::printf(
        "%s: %d items; first screen %lld ms, whole grid %lld ms, longest event-loop gap %lld ms; "
        "VmHWM %ld MB, VmRSS %ld MB; packed thumbnails %zu MB, heap in use %zu MB\n",
        run, grid->model()->rowCount(), static_cast<long long>(watch.At()),
        static_cast<long long>(whole), static_cast<long long>(longestGap),
        StatusKb("VmHWM:") / 1024, StatusKb("VmRSS:") / 1024, packed >> 20,
        mallinfo2().uordblks >> 20);
    std::fflush(stdout);
  }

  const double ratio = grid->devicePixelRatioF();
  if (ratio <= 1) return 0;
  // Each sharp thumbnail that arrives repaints its item through dataChanged.
  int arrived = 0;
  QObject::connect(grid->model(), &QAbstractItemModel::dataChanged, grid, [&] { ++arrived; });
  const QSize cell = grid->gridSize();
  const QSize view = grid->viewport()->size();
  const int screenful =
      std::max(1, view.width() / cell.width()) * std::max(1, view.height() / cell.height());
  QScrollBar* scroll = grid->verticalScrollBar();
  // Places never painted yet, far apart: none of their sharp thumbnails is kept.
  for (const int percent : {25, 50, 75}) {
    arrived = 0;
    const long rss = StatusKb("VmRSS:");
    clock.start();
    scroll->setValue(scroll->maximum() * percent / 100);
    while (arrived < screenful && clock.elapsed() < 30000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    std::printf(
        "ratio %.2f, scrolled to %d %%: %d of a screenful of %d sharp in %lld ms; VmRSS %+ld KB\n",
        ratio, percent, arrived, screenful, static_cast<long long>(clock.elapsed()),
        StatusKb("VmRSS:") - rss);
    std::fflush(stdout);
  }
  return 0;
}
