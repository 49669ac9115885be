// The road of one task through the real main window (offscreen), the real WebEngine browser
// and the real download workers, against a small site on 127.0.0.1: Quick Start, Stop and
// Resume, Restart.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QTimer>
#include <chrono>
#include <functional>

#include "downloader/DownloadScheduler.h"
#include "pictures/PictureGrid.h"
#include "shell/MainActions.h"
#include "shell/Run.h"
#include "shell/main.h"
#include "support/EventWait.h"
#include "support/FakeSeams.h"
#include "support/LoopbackServer.h"
#include "support/MainFormParts.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;

// Two pages with three pictures; the second page can be held back until Release().
class Site : public test::LoopbackServer {
 public:
  Site() {
    const std::string jpeg =
        ReadFileBytes(test::TestData("libjpeg-turbo-testimages/testimgari.jpg"));
    AddPage("/index.html",
            "<html><body><a href=\"/more.html\">more</a>"
            "<img src=\"/a.jpg\" width=\"227\" height=\"149\"></body></html>");
    Http().Get("/more.html", [this](const httplib::Request&, httplib::Response& response) {
      WaitAtGate(kMoreGate);
      response.set_content(
          "<html><body><img src=\"/b.jpg\" width=\"227\" height=\"149\">"
          "<img src=\"/c.jpg\" width=\"227\" height=\"149\"></body></html>",
          "text/html");
    });
    for (const char* picture : {"/a.jpg", "/b.jpg", "/c.jpg"}) {
      Http().Get(picture, [jpeg](const httplib::Request&, httplib::Response& response) {
        response.set_content(jpeg, "image/jpeg");
      });
    }
    Release();
  }
  void Hold() { CloseGate(kMoreGate); }
  void Release() { OpenGate(kMoreGate); }

 private:
  static constexpr int kMoreGate = 1;
};

class RoadOfOneTaskTest : public testing::Test {
 protected:
  RoadOfOneTaskTest() {
    mForm = std::make_unique<TMainForm>(AppFolders::Beside(mDir.Path()),
                                        MainFormServices{mStore, mPrompts, mShell});
    mForm->InitialiseRun();
    mForm->CreateOtherWindows();
  }
  ~RoadOfOneTaskTest() override { mForm->ShutDown(); }

  bool PumpUntil(const std::function<bool()>& done) {
    return test::ProcessEventsUntil(done, std::chrono::seconds(60));
  }
  int Completions() const {
    return static_cast<int>(std::count(mPrompts.Messages.begin(), mPrompts.Messages.end(),
                                       std::string("Vexilo task is completed!")));
  }
  bool Completed() const { return Completions() > 0; }
  fs::path TaskFolder() const { return fs::path(mForm->Run().CurrentTask().TaskFolder); }
  fs::path StateFolder() const { return mDir / "task" / mForm->Run().CurrentTask().FolderName; }

  Site mSite;
  TempDir mDir;
  test::MemorySettingsStore mStore;
  test::RecordingPrompts mPrompts;
  test::RecordingShell mShell;
  std::unique_ptr<TMainForm> mForm;
};

TEST_F(RoadOfOneTaskTest, QuickStartCrawlsTheSiteAndEveryPictureArrives) {
  mForm->SetAddressText(mSite.Url("/index.html"));
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();
  ASSERT_TRUE(PumpUntil([this] { return Completed(); }));
  EXPECT_EQ(Completions(), 1);
  EXPECT_TRUE(mForm->Run().Scheduler().DownloadsComplete()) << "so no tick announces it again";

  EXPECT_EQ(mForm->Run().CurrentTask().Name, "0.1:" + std::to_string(mSite.Port()));
  for (const char* picture : {"a.jpg", "b.jpg", "c.jpg"}) {
    EXPECT_TRUE(fs::exists(TaskFolder() / picture)) << picture;
  }
  EXPECT_EQ(test::Part<TPictureGrid>(*mForm)->count(), 3);
  for (const char* file : {"listview.dat", "visitedurl.dat", "wanturls.dat", "tempurls.dat",
                           "pictureurl.dat", "savedname.dat", "counti.dat"}) {
    EXPECT_TRUE(fs::exists(StateFolder() / file)) << file;
  }
}

TEST_F(RoadOfOneTaskTest, RestartRemovesBothFoldersAndCrawlsAfresh) {
  mForm->SetAddressText(mSite.Url("/index.html"));
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();
  ASSERT_TRUE(PumpUntil([this] { return Completed(); }));
  fs::path pictures = TaskFolder();
  fs::path state = StateFolder();
  test::WriteFileBytes(pictures / "stale.txt", "left by the first crawl");
  test::WriteFileBytes(state / "stale.txt", "left by the first crawl");
  mPrompts.Messages.clear();
  test::Part<TMainActions>(*mForm)->RestartTask->trigger();
  ASSERT_TRUE(PumpUntil([this] { return Completed(); }));
  for (const char* picture : {"/a.jpg", "/b.jpg", "/c.jpg"}) {
    EXPECT_EQ(mSite.Hits(picture), 2) << picture;
  }
  EXPECT_EQ(TaskFolder(), pictures);
  EXPECT_FALSE(fs::exists(pictures / "stale.txt"));
  EXPECT_FALSE(fs::exists(state / "stale.txt"));
  EXPECT_TRUE(fs::exists(state / "counti.dat"));
  EXPECT_EQ(test::Part<TPictureGrid>(*mForm)->count(), 3);
}

TEST_F(RoadOfOneTaskTest, StopThenResumeFetchesNoPictureTwice) {
  mSite.Hold();
  // Stop while the second page is held back, as a user would press the button.
  QTimer stopper;
  QObject::connect(&stopper, &QTimer::timeout, &stopper, [this, &stopper] {
    if (mSite.Hits("/more.html") > 0 && mSite.Hits("/a.jpg") > 0) {
      stopper.stop();
      test::Part<TMainActions>(*mForm)->StopTask->trigger();
    }
  });
  stopper.start(10);
  mForm->SetAddressText(mSite.Url("/index.html"));
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();
  EXPECT_NE(
      std::find(mPrompts.Messages.begin(), mPrompts.Messages.end(), "Vexilo task is cancelled!"),
      mPrompts.Messages.end());
  mSite.Release();
  EXPECT_EQ(mSite.Hits("/b.jpg"), 0);

  test::Part<TMainActions>(*mForm)->ResumeTask->trigger();
  ASSERT_TRUE(PumpUntil([this] { return Completed(); }));
  for (const char* picture : {"/a.jpg", "/b.jpg", "/c.jpg"}) {
    EXPECT_EQ(mSite.Hits(picture), 1) << picture;
  }
}

}  // namespace
}  // namespace vexilo
