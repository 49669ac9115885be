// The main window end to end: Quick Start crawls a site on loopback in the real browser, the
// scheduler downloads its pictures and each one shows in the grid.

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

#include "core/LineFile.h"
#include "pictures/PictureGrid.h"
#include "pictures/PictureListView.h"
#include "shell/MainActions.h"
#include "shell/StatusPanels.h"
#include "shell/TaskTree.h"
#include "shell/main.h"
#include "support/FakeSeams.h"
#include "support/TempDir.h"
#include "support/TestSite.h"

namespace vexilo {
namespace {

// A real wait: downloads run on their own threads and report through the event queue.
bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < 30000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  return done();
}

TEST(MainFormCrawl, QuickStartDownloadsThePicturesIntoTheGrid) {
  test::TempDir dir;
  test::TestSite site;
  // A link spares the crawl its wait for a redirect.
  site.AddPage("/",
               "<html><body><a href='/'>home</a><img src='/one.gif'><img src='/two.gif'>"
               "</body></html>");
  site.AddPicture("/one.gif");
  site.AddPicture("/two.gif");
  test::MemorySettingsStore store;
  store.Values["DownFolder"] = (dir / "down").string();
  test::RecordingPrompts prompts;
  test::RecordingShell shell;
  TMainForm form(dir.Path(), {store, prompts, shell});
  form.InitialiseRun();
  form.CreateOtherWindows();
  form.show();

  form.AddressCombo()->setCurrentText(QString::fromStdString(site.Url("/")));
  form.Actions()->QuickStart->trigger();

  EXPECT_EQ(form.TaskTree()->TaskNodeCount(), 1);
  EXPECT_EQ(form.TaskTree()->SelectedNode(), 0);
  EXPECT_EQ(ReadLines(dir / "GTask.lis").size(), 21u);
  EXPECT_EQ(form.PictureList()->rowCount(), 2);
  ASSERT_TRUE(WaitFor([&] { return form.Grid()->count() == 2; }))
      << "grid items: " << form.Grid()->count();
  EXPECT_EQ(form.Pictures().Count(), 2);
  EXPECT_TRUE(WaitFor([&] { return form.Status()->StatusText(2) == "Vexilo task is completed!"; }))
      << form.Status()->StatusText(2);
  EXPECT_TRUE(prompts.Errors.empty());
  form.close();
}

TEST(MainFormCrawl, ClosingDuringACrawlSavesAndStopsIt) {
  test::TempDir dir;
  test::TestSite site;
  site.AddEndlessPage("/", "<html><body><a href='/more'>more</a>");
  test::MemorySettingsStore store;
  store.Values["DownFolder"] = (dir / "down").string();
  test::RecordingPrompts prompts;
  test::RecordingShell shell;
  TMainForm form(dir.Path(), {store, prompts, shell});
  form.InitialiseRun();
  form.CreateOtherWindows();
  form.show();
  QSignalSpy done(&form, &TMainForm::shutDownDone);

  bool crawlWasRunning = false;
  QTimer::singleShot(200, &form, [&] {
    crawlWasRunning = !form.Flags().CrawlIdle;
    form.close();
  });
  form.AddressCombo()->setCurrentText(QString::fromStdString(site.Url("/")));
  QElapsedTimer clock;
  clock.start();
  form.Actions()->QuickStart->trigger();

  EXPECT_TRUE(crawlWasRunning);
  EXPECT_LT(clock.elapsed(), 20000) << "the first page's wait is 59 s; Stop must cut it short";
  EXPECT_EQ(done.count(), 1);
  EXPECT_EQ(ReadLines(dir / "GTask.lis").size(), 21u);
  EXPECT_EQ(store.Values.at("DownFolder"), (dir / "down").string());
  EXPECT_TRUE(form.Flags().StopRequested);
}

}  // namespace
}  // namespace vexilo
