// Takes the screenshots of the main window (with a task and its pictures), the download
// settings dialog, the advanced settings dialog, the about box and the main window during a
// crawl on loopback with some failed pictures into the folder given as the argument. Run it under a
// real X server (scripts/screenshots starts Xvfb); it is no test.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <iostream>

#include "core/LineFile.h"
#include "core/TaskStateFiles.h"
#include "pictures/PictureGrid.h"
#include "shell/AboutUnit.h"
#include "shell/AdvancedSettingsUnit.h"
#include "shell/MainActions.h"
#include "shell/OptionUnit.h"
#include "shell/Run.h"
#include "shell/TaskTree.h"
#include "shell/main.h"
#include "support/FakeSeams.h"
#include "support/LoopbackServer.h"
#include "support/MainFormParts.h"
#include "support/TempDir.h"
#include "tasks/TaskList.h"

namespace {

using namespace vexilo;

void Settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool Shoot(QWidget* window, const QString& file) {
  window->raise();
  window->activateWindow();
  Settle(1500);
  QPixmap shot = window->screen()->grabWindow(
      0, window->frameGeometry().x(), window->frameGeometry().y(), window->frameGeometry().width(),
      window->frameGeometry().height());
  bool saved = shot.save(file);
  std::cout << (saved ? "wrote " : "could not write ") << file.toStdString() << "\n";
  return saved;
}

void WriteSampleTask(const std::filesystem::path& programFolder) {
  TaskRecord task;
  task.Name = "Test pictures";
  task.StartUrl = "https://www.example.com/gallery/";
  task.TaskFolder = test::TestData("libjpeg-turbo-testimages").string();
  task.LinkLevels = 1;
  task.TaskType = "0";
  task.GrabFromLinks = "0";
  task.FolderName = "Test pictures";
  TaskRecord second = task;
  second.Name = "GIF samples";
  second.TaskFolder = test::TestData("giflib-pic/pic").string();
  second.FolderName = "GIF samples";
  TaskList list(programFolder);
  list.LoadTaskList();
  list.AppendTaskRecord(task);
  list.AppendTaskRecord(second);
  list.SaveTaskList();

  std::vector<PictureEntry> rows;
  CrawlState state;  // every picture handed out; two of them failed
  for (const char* name : {"testorig.jpg", "testimgint.jpg", "monkey12.jpg", "shira_bird8.bmp",
                           "gone.jpg", "elsewhere.jpg"}) {
    const std::string address = std::string("https://www.example.com/gallery/") + name;
    rows.push_back({name, address, "227", "149"});
    state.Queue.push_back({address, task.TaskFolder + "/" + name});
  }
  state.DispatchedCount = static_cast<std::int32_t>(state.Queue.size());
  state.Failed = {{state.Queue[4].Url, state.Queue[4].SavePath, "404 Not Found"},
                  {state.Queue[5].Url, state.Queue[5].SavePath, "could not resolve host"}};
  TaskStateFiles(programFolder).SaveCrawlState(task.FolderName, rows, state);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  if (argc != 2) {
    std::cerr << "usage: vexilo_screenshots <output folder>\n";
    return 2;
  }
  QDir out(QString::fromLocal8Bit(argv[1]));
  out.mkpath(".");

  test::TempDir programFolder;
  WriteSampleTask(programFolder.Path());
  test::MemorySettingsStore store;
  test::RecordingPrompts prompts;
  test::RecordingShell shell;
  TMainForm form(AppFolders::Beside(programFolder.Path()), {store, prompts, shell});
  form.InitialiseRun();
  form.CreateOtherWindows();
  form.resize(1100, 720);
  form.show();
  Settle(500);
  test::Part<TTaskTree>(form)->setCurrentItem(test::Part<TTaskTree>(form)->TaskNode(0));
  if (test::Part<TPictureGrid>(form)->count() > 3) test::Part<TPictureGrid>(form)->setCurrentRow(3);
  bool ok = Shoot(&form, out.filePath("main-window.png"));

  test::Part<TOptionForm>(form)->setModal(false);
  test::Part<TOptionForm>(form)->FillFields();
  test::Part<TOptionForm>(form)->show();
  test::Part<TOptionForm>(form)->move(form.frameGeometry().center() -
                                      test::Part<TOptionForm>(form)->rect().center());
  ok = Shoot(test::Part<TOptionForm>(form), out.filePath("download-settings.png")) && ok;
  test::Part<TOptionForm>(form)->hide();

  auto* advanced = test::Part<TAdvancedSettingsForm>(form);
  advanced->setModal(false);
  advanced->FillBoxes();
  advanced->show();
  // Taller than the others: kept inside the screen, whose top it would pass when centred.
  const QPoint centred = form.frameGeometry().center() - advanced->rect().center();
  advanced->move(centred.x(), std::max(0, centred.y()));
  ok = Shoot(advanced, out.filePath("advanced-settings.png")) && ok;
  advanced->hide();

  test::Part<TAboutForm>(form)->setModal(false);
  test::Part<TAboutForm>(form)->show();
  ok = Shoot(test::Part<TAboutForm>(form), out.filePath("about-box.png")) && ok;
  test::Part<TAboutForm>(form)->hide();

  // A task checked for new pictures once its site has grown and the user has deleted one of
  // its pictures: the earlier rows stay, the new ones read "new".
  {
    test::LoopbackServer site{test::LoopbackServer::Connections::OnePerRequest};
    std::atomic<bool> grown{false};
    site.Http().Get("/", [&grown](const httplib::Request&, httplib::Response& response) {
      std::string body = "<html><body><a href='/'>home</a>";
      for (const char* picture : {"red", "green", "blue", "orange", "violet"}) {
        if (!grown && std::string_view(picture) == "orange") break;
        body += std::string("<img src='/") + picture + ".gif'>";
      }
      response.set_content(body + "</body></html>", "text/html");
    });
    for (const char* picture :
         {"/red.gif", "/green.gif", "/blue.gif", "/orange.gif", "/violet.gif"}) {
      site.Http().Get(picture, [picture](const httplib::Request&, httplib::Response& response) {
        response.set_content(test::LoopbackServer::TinyGif() + picture, "image/gif");
      });
    }
    form.Run().Settings().DownFolder = (programFolder / "checked").string();
    test::Part<QComboBox>(form, "addressBox")
        ->setCurrentText(QString::fromStdString(site.Url("/")));
    test::Part<TMainActions>(form)->QuickStart->trigger();
    for (int waited = 0; test::PanelText(form, 2) != "Vexilo task is completed!" && waited < 300;
         ++waited) {
      Settle(100);
    }
    grown = true;
    std::filesystem::remove(std::filesystem::path(form.Run().CurrentTask().TaskFolder) /
                            "green.gif");
    prompts.Answer = false;
    test::Part<TMainActions>(form)->CheckForNewPictures->trigger();
    bool checked = false;
    for (int waited = 0; !checked && waited < 300; ++waited) {
      Settle(100);
      checked = test::PanelText(form, 0) == "2 new pictures";
    }
    ok = checked && Shoot(&form, out.filePath("check-for-new-pictures.png")) && ok;
  }

  // A crawl that has downloaded three pictures, failed one, waits to retry one, and has three
  // downloads held at their gates and two more waiting behind them.
  test::LoopbackServer site{test::LoopbackServer::Connections::OnePerRequest};
  std::string page = "<html><body><a href='/'>home</a>";
  for (const char* picture : {"/red.gif", "/green.gif", "/blue.gif"}) {
    site.AddPicture(picture);
    page += std::string("<img src='") + picture + "'>";
  }
  site.Http().Get("/gone.gif", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
  });
  site.Http().Get("/busy.gif", [](const httplib::Request&, httplib::Response& response) {
    response.status = 503;
    response.set_header("Retry-After", "60");
  });
  page += "<img src='/gone.gif'><img src='/busy.gif'>";
  for (int gate = 1; gate <= 5; ++gate) page += "<img src='/gate/" + std::to_string(gate) + "'>";
  site.AddPage("/", page + "</body></html>");
  const std::filesystem::path down = programFolder / "down";
  form.Run().Settings().DownFolder = down.string();
  form.Run().Settings().Advanced.RetryFailed = true;
  test::Part<QComboBox>(form, "addressBox")->setCurrentText(QString::fromStdString(site.Url("/")));
  test::Part<TMainActions>(form)->QuickStart->trigger();
  bool running = false;
  for (int waited = 0; !running && waited < 300; ++waited) {
    Settle(100);
    running = test::PanelText(form, 0) == "3 downloaded, 1 failed";
  }
  ok = running && Shoot(&form, out.filePath("crawl-with-failures.png")) && ok;
  site.OpenAllGates();
  return ok ? 0 : 1;
}
