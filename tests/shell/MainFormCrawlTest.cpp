// The main window end to end: Quick Start crawls a site on loopback in the real browser, the
// scheduler downloads its pictures and each one shows in the grid.

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <memory>

#include "core/LineFile.h"
#include "core/TaskStateFiles.h"
#include "pictures/PictureGrid.h"
#include "pictures/PictureListView.h"
#include "pictures/PngWriter.h"
#include "shell/MainActions.h"
#include "shell/Run.h"
#include "shell/StatusPanels.h"
#include "shell/TaskTree.h"
#include "shell/main.h"
#include "support/EventWait.h"
#include "support/FakeSeams.h"
#include "support/LoopbackServer.h"
#include "support/MainFormParts.h"
#include "support/TempDir.h"
#include "tasks/CheckSchedule.h"

namespace vexilo {
namespace {

// A shown main window over a fresh program folder that downloads into its "down" folder.
class MainFormCrawl : public testing::Test {
 protected:
  MainFormCrawl() {
    mStore.Values["DownFolder"] = (mDir / "down").string();
    mForm = std::make_unique<TMainForm>(AppFolders::Beside(mDir.Path()),
                                        MainFormServices{mStore, mPrompts, mShell});
    mForm->InitialiseRun();
    mForm->CreateOtherWindows();
    mForm->show();
  }

  test::TempDir mDir;
  test::LoopbackServer mSite{test::LoopbackServer::Connections::OnePerRequest};
  test::MemorySettingsStore mStore;
  test::RecordingPrompts mPrompts;
  test::RecordingShell mShell;
  std::unique_ptr<TMainForm> mForm;
};

TEST_F(MainFormCrawl, QuickStartDownloadsThePicturesIntoTheGrid) {
  // A link spares the crawl its wait for a redirect.
  mSite.AddPage("/",
                "<html><body><a href='/'>home</a><img src='/one.gif'><img src='/two.gif'>"
                "</body></html>");
  mSite.AddPicture("/one.gif");
  mSite.AddPicture("/two.gif");

  test::Part<QComboBox>(*mForm, "addressBox")
      ->setCurrentText(QString::fromStdString(mSite.Url("/")));
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();

  EXPECT_EQ(test::Part<TTaskTree>(*mForm)->TaskNodeCount(), 1);
  EXPECT_EQ(test::Part<TTaskTree>(*mForm)->SelectedNode(), 0);
  EXPECT_EQ(ReadLines(mDir / "GTask.lis").size(), 21u);
  EXPECT_EQ(test::Part<TPictureListView>(*mForm)->rowCount(), 2);
  ASSERT_TRUE(test::ProcessEventsUntil([&] {
    return test::Part<TPictureGrid>(*mForm)->count() == 2;
  })) << "grid items: "
      << test::Part<TPictureGrid>(*mForm)->count();
  EXPECT_EQ(mForm->Run().PictureSet().Count(), 2);
  EXPECT_TRUE(test::ProcessEventsUntil([&] {
    return test::PanelText(*mForm, 2) == "Vexilo task is completed!";
  })) << test::PanelText(*mForm, 2);
  EXPECT_TRUE(mPrompts.Errors.empty());
  mForm->close();
}

TEST_F(MainFormCrawl, CrawlingPolitelyFetchesNothingRobotsTxtForbids) {
  mSite.AddPage("/robots.txt", "User-agent: *\nDisallow: /private/\n");
  mSite.AddPage("/",
                "<html><body><a href='/open.html'>open</a><a href='/private/closed.html'>closed</a>"
                "<img src='/one.gif'><img src='/private/two.gif'></body></html>");
  mSite.AddPage("/open.html",
                "<html><body><a href='/'>home</a><img src='/three.gif'></body></html>");
  mSite.AddPage("/private/closed.html",
                "<html><body><a href='/'>home</a><img src='/four.gif'></body></html>");
  for (const char* picture : {"/one.gif", "/private/two.gif", "/three.gif", "/four.gif"}) {
    mSite.AddPicture(picture);
  }
  mForm->Run().Settings().Advanced.CrawlPolitely = true;

  test::Part<QComboBox>(*mForm, "addressBox")
      ->setCurrentText(QString::fromStdString(mSite.Url("/")));
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();
  ASSERT_TRUE(test::ProcessEventsUntil(
      [&] { return test::PanelText(*mForm, 2) == "Vexilo task is completed!"; },
      std::chrono::minutes(1)))
      << test::PanelText(*mForm, 2);
  EXPECT_EQ(mSite.Hits("/robots.txt"), 1);
  EXPECT_EQ(mSite.Hits("/private/closed.html"), 0);
  EXPECT_EQ(mSite.Hits("/private/two.gif"), 0);
  EXPECT_EQ(mSite.Hits("/four.gif"), 0);
  EXPECT_EQ(mSite.Hits("/one.gif"), 1);
  EXPECT_EQ(mSite.Hits("/three.gif"), 1);
  // A forbidden picture is not listed either.
  EXPECT_EQ(test::Part<TPictureListView>(*mForm)->rowCount(), 2);
  mForm->close();
}

TEST_F(MainFormCrawl, KeepingOneCopyRemovesTheSecondAndMarksItsRow) {
  mSite.AddPage("/",
                "<html><body><a href='/'>home</a><img src='/one.gif'><img src='/two.gif'>"
                "<img src='/three.gif'></body></html>");
  // The loopback server sends the same picture for every picture address.
  for (const char* picture : {"/one.gif", "/two.gif", "/three.gif"}) mSite.AddPicture(picture);
  mForm->Run().Settings().Advanced.KeepOneCopy = true;

  test::Part<QComboBox>(*mForm, "addressBox")
      ->setCurrentText(QString::fromStdString(mSite.Url("/")));
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();
  auto* list = test::Part<TPictureListView>(*mForm);
  auto marked = [list] {
    int count = 0;
    for (int row = 0; row < list->rowCount(); ++row) {
      count += list->item(row, 4) != nullptr && list->item(row, 4)->text() == "duplicate";
    }
    return count;
  };
  ASSERT_TRUE(test::ProcessEventsUntil([&] {
    return test::PanelText(*mForm, 2) == "Vexilo task is completed!" && marked() == 2;
  })) << "rows marked: "
      << marked();
  EXPECT_EQ(test::Part<TPictureGrid>(*mForm)->count(), 1);
  int files = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator(mForm->Run().CurrentTask().TaskFolder)) {
    ++files;
  }
  EXPECT_EQ(files, 1);
  mForm->close();
}

TEST_F(MainFormCrawl, RedirectedPictureShowsWhereItCameFromAndAnErrorPageIsNotKept) {
  mSite.AddPage("/",
                "<html><body><a href='/'>home</a><img src='/old.gif'><img src='/gone.gif'>"
                "</body></html>");
  mSite.AddRedirect("/old.gif", "/new.gif");
  mSite.AddPicture("/new.gif");
  mSite.Http().Get("/gone.gif", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("<html>gone</html>", "text/html");
  });
  mForm->Run().Settings().Advanced.FollowRedirects = true;
  mForm->Run().Settings().Advanced.KeepOnlyRealPictures = true;

  test::Part<QComboBox>(*mForm, "addressBox")
      ->setCurrentText(QString::fromStdString(mSite.Url("/")));
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();
  auto* list = test::Part<TPictureListView>(*mForm);
  auto rowWith = [list](int column, const std::string& text) {
    for (int row = 0; row < list->rowCount(); ++row) {
      if (list->item(row, column) != nullptr &&
          list->item(row, column)->text().toStdString() == text) {
        return row;
      }
    }
    return -1;
  };
  ASSERT_TRUE(test::ProcessEventsUntil([&] {
    return test::PanelText(*mForm, 2) == "Vexilo task is completed!" &&
           rowWith(1, mSite.Url("/new.gif")) >= 0 && rowWith(4, "failed: 404 Not Found") >= 0;
  })) << "rows: "
      << list->rowCount();
  EXPECT_EQ(list->item(rowWith(4, "failed: 404 Not Found"), 1)->text().toStdString(),
            mSite.Url("/gone.gif"));
  // What is copied and exported is what the cell shows.
  mForm->Run().CopyLinkToClipboard(rowWith(1, mSite.Url("/new.gif")));
  EXPECT_EQ(mShell.Clipboard, mSite.Url("/new.gif"));
  mForm->Run().ExportLinks();
  EXPECT_NE(test::ReadFileBytes(mDir / "exportlists.txt").find(mSite.Url("/new.gif") + "\r\n"),
            std::string::npos);
  EXPECT_EQ(test::Part<TPictureGrid>(*mForm)->count(), 1);
  int files = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator(mForm->Run().CurrentTask().TaskFolder)) {
    ++files;
  }
  EXPECT_EQ(files, 1) << "the error page is not kept";
  mForm->close();
}

TEST_F(MainFormCrawl, PngPicturesSavedAsJpgAreToldAtTheEnd) {
  mSite.AddPage("/",
                "<html><body><a href='/'>home</a><img src='/a.jpg'><img src='/b.jpg'>"
                "<img src='/c.gif'></body></html>");
  Bitmap24 pixels(4, 4);
  pixels.Fill(0x3366CC);
  const std::string png = EncodePng(pixels);
  for (const char* path : {"/a.jpg", "/b.jpg"}) {
    mSite.Http().Get(path, [png](const httplib::Request&, httplib::Response& response) {
      response.set_content(png, "image/png");
    });
  }
  mSite.AddPicture("/c.gif");
  test::Part<QComboBox>(*mForm, "addressBox")
      ->setCurrentText(QString::fromStdString(mSite.Url("/")));
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();
  ASSERT_TRUE(test::ProcessEventsUntil(
      [&] { return test::PanelText(*mForm, 2).starts_with("Vexilo task is completed!"); }));
  EXPECT_EQ(test::PanelText(*mForm, 2),
            "Vexilo task is completed! 2 pictures are PNG files saved as .jpg: turn on \"List "
            "PNG, WebP and AVIF pictures\" in Advanced Settings");
  EXPECT_EQ(test::Part<TPictureGrid>(*mForm)->count(), 1);
  mForm->close();
}

TEST_F(MainFormCrawl, EveryFailureShowsItsReasonAndResumeFetchesItAgain) {
  mSite.AddPage("/",
                "<html><body><a href='/'>home</a><img src='/one.gif'><img src='/gone.gif'>"
                "</body></html>");
  mSite.AddPicture("/one.gif");
  std::atomic<bool> back{false};
  mSite.Http().Get("/gone.gif", [&back](const httplib::Request&, httplib::Response& response) {
    if (back) {
      response.set_content(test::LoopbackServer::TinyGif(), "image/gif");
    } else {
      response.status = 404;
      response.set_content("<h1>Not Found</h1>", "text/html");
    }
  });
  auto* list = test::Part<TPictureListView>(*mForm);
  auto statuses = [list] {
    std::vector<std::string> texts;
    for (int row = 0; row < list->rowCount(); ++row) {
      texts.push_back(list->item(row, 4) ? list->item(row, 4)->text().toStdString() : "");
    }
    return testing::PrintToString(texts);
  };
  const std::string doneAndFailed =
      testing::PrintToString(std::vector<std::string>{"done", "failed: 404 Not Found"});

  test::Part<QComboBox>(*mForm, "addressBox")
      ->setCurrentText(QString::fromStdString(mSite.Url("/")));
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();
  ASSERT_TRUE(test::ProcessEventsUntil([&] {
    return test::PanelText(*mForm, 2) == "Vexilo task is completed!" && statuses() == doneAndFailed;
  })) << statuses();
  EXPECT_EQ(test::PanelText(*mForm, 0), "1 downloaded, 1 failed");
  const std::string folderName = mForm->Run().CurrentTask().FolderName;
  EXPECT_EQ(ReadLines(mDir / "task" / folderName / "failed.dat").size(), 3u);
  EXPECT_TRUE(mPrompts.Questions.empty());

  // Listing the task again shows what failed, from the saved state.
  auto* tree = test::Part<TTaskTree>(*mForm);
  tree->setCurrentItem(tree->Root());
  tree->setCurrentItem(tree->TaskNode(0));
  EXPECT_EQ(statuses(), doneAndFailed);

  back = true;
  test::Part<TMainActions>(*mForm)->ResumeTask->trigger();
  EXPECT_EQ(mPrompts.Questions, std::vector<std::string>{"Fetch the 1 picture that failed again?"});
  ASSERT_TRUE(test::ProcessEventsUntil([&] {
    return test::Part<TPictureGrid>(*mForm)->count() == 2;
  })) << statuses();
  EXPECT_EQ(statuses(), testing::PrintToString(std::vector<std::string>{"done", "done"}));
  EXPECT_TRUE(ReadLines(mDir / "task" / folderName / "failed.dat").empty());
  mForm->close();
}

// The rows of a task selected while another task's downloads drain are that task's: the
// running downloads' statuses stay off them.
TEST_F(MainFormCrawl, ATaskSelectedWhileAnotherDrainsKeepsItsOwnStatuses) {
  mSite.AddPage("/gone", "<html><body><a href='/gone'>home</a><img src='/gone.gif'></body></html>");
  mSite.Http().Get("/gone.gif", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("<h1>Not Found</h1>", "text/html");
  });
  mSite.AddPage("/held", "<html><body><a href='/held'>home</a><img src='/held.gif'></body></html>");
  mSite.Http().Get("/held.gif", [this](const httplib::Request&, httplib::Response& response) {
    mSite.WaitAtGate(1);
    response.set_content(test::LoopbackServer::TinyGif(), "image/gif");
  });
  auto* list = test::Part<TPictureListView>(*mForm);
  auto firstStatus = [list] {
    return list->rowCount() > 0 && list->item(0, 4) ? list->item(0, 4)->text().toStdString() : "";
  };
  auto quickStart = [&](const std::string& path) {
    test::Part<QComboBox>(*mForm, "addressBox")
        ->setCurrentText(QString::fromStdString(mSite.Url(path)));
    test::Part<TMainActions>(*mForm)->QuickStart->trigger();
  };

  quickStart("/gone");
  ASSERT_TRUE(test::ProcessEventsUntil([&] { return firstStatus() == "failed: 404 Not Found"; }))
      << firstStatus();
  quickStart("/held");  // returns when its pages are done; its picture waits at the gate
  ASSERT_TRUE(test::ProcessEventsUntil([&] { return mSite.Hits("/held.gif") == 1; }));
  auto* tree = test::Part<TTaskTree>(*mForm);
  ASSERT_EQ(tree->TaskNodeCount(), 2);
  tree->setCurrentItem(tree->TaskNode(0));
  ASSERT_EQ(firstStatus(), "failed: 404 Not Found");

  mSite.OpenGate(1);
  ASSERT_TRUE(test::ProcessEventsUntil([&] {
    return test::PanelText(*mForm, kProgressPanel) == "Vexilo task is completed!";
  })) << test::PanelText(*mForm, kProgressPanel);
  EXPECT_EQ(firstStatus(), "failed: 404 Not Found");
  mForm->close();
}

TEST_F(MainFormCrawl, ClosingDuringACrawlSavesAndStopsIt) {
  mSite.AddEndlessPage("/", "<html><body><a href='/more'>more</a>");
  QSignalSpy done(mForm.get(), &TMainForm::shutDownDone);

  bool crawlWasRunning = false;
  QTimer::singleShot(200, mForm.get(), [&] {
    crawlWasRunning = !mForm->Run().State().CrawlIdle();
    mForm->close();
  });
  test::Part<QComboBox>(*mForm, "addressBox")
      ->setCurrentText(QString::fromStdString(mSite.Url("/")));
  QElapsedTimer clock;
  clock.start();
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();

  EXPECT_TRUE(crawlWasRunning);
  EXPECT_LT(clock.elapsed(), 20000) << "the first page's wait is 59 s; Stop must cut it short";
  EXPECT_EQ(done.count(), 1);
  EXPECT_EQ(ReadLines(mDir / "GTask.lis").size(), 21u);
  EXPECT_EQ(mStore.Values.at("DownFolder"), (mDir / "down").string());
  EXPECT_TRUE(mForm->Run().State().StopRequested());
}

// A site that grows between a crawl and a check: the check fetches only the picture that is
// new, drops a new address whose content the task has, and leaves a picture the user deleted
// deleted; the earlier rows stay listed and the server is never asked for a known picture.
TEST_F(MainFormCrawl, CheckForNewPicturesFetchesOnlyWhatTheTaskNeverHad) {
  std::atomic<bool> grown{false};
  mSite.Http().Get("/", [&grown](const httplib::Request&, httplib::Response& response) {
    std::string body = "<html><body><a href='/'>home</a><img src='/one.gif'><img src='/two.gif'>";
    if (grown) body += "<img src='/copy-of-one.gif'><img src='/three.gif'>";
    response.set_content(body + "</body></html>", "text/html");
  });
  // Bytes after a GIF's trailer are no part of it: each picture its own content.
  auto addPicture = [this](const std::string& path, const std::string& content) {
    mSite.Http().Get(path, [content](const httplib::Request&, httplib::Response& response) {
      response.set_content(test::LoopbackServer::TinyGif() + content, "image/gif");
    });
  };
  addPicture("/one.gif", "1");
  addPicture("/two.gif", "2");
  addPicture("/copy-of-one.gif", "1");
  addPicture("/three.gif", "3");
  auto* list = test::Part<TPictureListView>(*mForm);
  auto statuses = [list] {
    std::vector<std::string> texts;
    for (int row = 0; row < list->rowCount(); ++row) {
      texts.push_back(list->item(row, 1)->text().toStdString().substr(
                          list->item(row, 1)->text().lastIndexOf('/') + 1) +
                      " " + (list->item(row, 4) ? list->item(row, 4)->text().toStdString() : ""));
    }
    return testing::PrintToString(texts);
  };

  test::Part<QComboBox>(*mForm, "addressBox")
      ->setCurrentText(QString::fromStdString(mSite.Url("/")));
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();
  ASSERT_TRUE(test::ProcessEventsUntil([&] {
    return test::PanelText(*mForm, 2) == "Vexilo task is completed!" &&
           test::Part<TPictureGrid>(*mForm)->count() == 2;
  })) << statuses();
  const std::filesystem::path folder = mForm->Run().CurrentTask().TaskFolder;
  ASSERT_TRUE(std::filesystem::remove(folder / "two.gif"));

  grown = true;
  mPrompts.Answer = false;
  test::Part<TMainActions>(*mForm)->CheckForNewPictures->trigger();
  EXPECT_EQ(mPrompts.Questions, std::vector<std::string>{"Also fetch the 1 picture you deleted?"});
  ASSERT_TRUE(test::ProcessEventsUntil([&] {
    return test::PanelText(*mForm, 0) == "1 new picture";
  })) << statuses()
      << " " << test::PanelText(*mForm, 0);
  EXPECT_EQ(statuses(),
            testing::PrintToString(std::vector<std::string>{
                "one.gif done", "two.gif deleted", "copy-of-one.gif duplicate", "three.gif new"}));
  EXPECT_EQ(mSite.Hits("/one.gif"), 1);
  EXPECT_EQ(mSite.Hits("/two.gif"), 1);
  EXPECT_EQ(mSite.Hits("/three.gif"), 1);
  EXPECT_FALSE(std::filesystem::exists(folder / "two.gif"));
  EXPECT_FALSE(std::filesystem::exists(folder / "copy-of-one.gif"));
  EXPECT_TRUE(std::filesystem::exists(folder / "three.gif"));
  EXPECT_TRUE(mPrompts.Errors.empty()) << mPrompts.Errors.front();

  // Asked to, the next check fetches the deleted picture again, and nothing else.
  mPrompts.Answer = true;
  mPrompts.Questions.clear();
  test::Part<TMainActions>(*mForm)->CheckForNewPictures->trigger();
  EXPECT_EQ(mPrompts.Questions, std::vector<std::string>{"Also fetch the 1 picture you deleted?"});
  ASSERT_TRUE(test::ProcessEventsUntil([&] {
    return std::filesystem::exists(folder / "two.gif") &&
           test::PanelText(*mForm, 0) == "0 new pictures";
  })) << statuses()
      << " " << test::PanelText(*mForm, 0);
  EXPECT_EQ(mSite.Hits("/two.gif"), 2);
  EXPECT_EQ(mSite.Hits("/one.gif") + mSite.Hits("/three.gif") + mSite.Hits("/copy-of-one.gif"), 3);

  // The schedule's check asks nothing, shows no box, leaves the deleted picture deleted and
  // tells its end; then it is not due for its hour.
  ASSERT_TRUE(std::filesystem::remove(folder / "two.gif"));
  TRun& run = mForm->Run();
  WriteCheckSchedule(TaskStateFiles(run.TaskLines().FilePath().parent_path())
                         .StateFolder(run.CurrentTask().FolderName),
                     {1, std::nullopt});
  std::vector<std::string> outcomes;
  run.CheckEnded = [&](const CheckOutcome& outcome) {
    outcomes.push_back(CheckOutcomeLine(outcome));
  };
  mPrompts.Questions.clear();
  mPrompts.Messages.clear();
  run.StartDueCheck();
  ASSERT_TRUE(test::ProcessEventsUntil([&] { return !outcomes.empty(); }));
  EXPECT_EQ(outcomes,
            std::vector<std::string>{run.CurrentTask().Name + ": 0 new pictures, 0 failed"});
  EXPECT_TRUE(mPrompts.Questions.empty());
  EXPECT_TRUE(mPrompts.Messages.empty()) << mPrompts.Messages.front();
  EXPECT_EQ(mSite.Hits("/two.gif"), 2);
  EXPECT_FALSE(run.Busy());
  run.StartDueCheck();
  EXPECT_EQ(outcomes.size(), 1u);
  mForm->close();
}

// With "Never download a picture that another task already has", a second task asks for no
// address the first one downloaded and keeps no picture whose content the first one has.
TEST_F(MainFormCrawl, ATaskDownloadsNothingAnotherTaskHas) {
  mSite.AddPage("/first",
                "<html><body><a href='/first'>home</a><img src='/one.gif'></body></html>");
  mSite.AddPage("/second",
                "<html><body><a href='/second'>home</a><img src='/one.gif'>"
                "<img src='/same-as-one.gif'><img src='/other.gif'></body></html>");
  for (const char* path : {"/one.gif", "/same-as-one.gif"}) mSite.AddPicture(path);
  mSite.Http().Get("/other.gif", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(test::LoopbackServer::TinyGif() + "other", "image/gif");
  });
  mForm->Run().Settings().Advanced.NeverTwiceAcrossTasks = true;
  auto* address = test::Part<QComboBox>(*mForm, "addressBox");
  auto* grid = test::Part<TPictureGrid>(*mForm);
  address->setCurrentText(QString::fromStdString(mSite.Url("/first")));
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();
  ASSERT_TRUE(test::ProcessEventsUntil([&] {
    return test::PanelText(*mForm, 2) == "Vexilo task is completed!" && grid->count() == 1;
  }));

  address->setCurrentText(QString::fromStdString(mSite.Url("/second")));
  test::Part<TMainActions>(*mForm)->QuickStart->trigger();
  auto* list = test::Part<TPictureListView>(*mForm);
  auto status = [list](int row) {
    return list->item(row, 4) ? list->item(row, 4)->text().toStdString() : "";
  };
  ASSERT_EQ(list->rowCount(), 2);  // one.gif is not queued at all
  ASSERT_TRUE(test::ProcessEventsUntil([&] {
    return test::PanelText(*mForm, 2) == "Vexilo task is completed!" && status(1) == "done";
  })) << status(0)
      << " " << status(1);
  EXPECT_EQ(status(0), "duplicate");
  EXPECT_EQ(grid->count(), 1);
  EXPECT_EQ(mSite.Hits("/one.gif"), 1);
  EXPECT_EQ(mSite.Hits("/same-as-one.gif"), 1);
  mForm->close();
}

}  // namespace
}  // namespace vexilo
