// The run object without a display: start-up, shut-down and the listing of a task's
// pictures, with the window's views and the outside services faked.

#include <gtest/gtest.h>

#include <map>

#include "core/LineFile.h"
#include "core/TaskStateFiles.h"
#include "pictures/BmpWriter.h"
#include "pictures/PictureCopies.h"
#include "shell/Run.h"
#include "support/FakeSeams.h"
#include "support/RealPhotos.h"
#include "support/RecordingGrid.h"
#include "support/RunFakes.h"
#include "support/TempDir.h"
#include "tasks/TaskCommands.h"
#include "tasks/TaskFakes.h"

namespace vexilo {
namespace {

using test::TempDir;
using test::WriteFileBytes;

using test::BlankBrowser;
using test::RecordingWindow;

std::vector<std::string> TaskLines(const std::vector<TaskRecord>& tasks) {
  std::vector<std::string> lines;
  for (const TaskRecord& task : tasks) {
    auto block = ToLines(task);
    lines.insert(lines.end(), block.begin(), block.end());
  }
  return lines;
}

TaskRecord Task(const std::string& name, const std::string& folder) {
  TaskRecord task;
  task.Name = name;
  task.TaskFolder = folder;
  task.TaskType = "0";
  task.FolderName = name;
  return task;
}

class RunTest : public testing::Test {
 protected:
  std::unique_ptr<TRun> Start() { return Start(AppFolders::Beside(dir.Path())); }
  std::unique_ptr<TRun> Start(AppFolders folders) {
    auto run =
        std::make_unique<TRun>(RunParts{std::move(folders), store, prompts, shell, status, pump,
                                        reports, timer, browser, tree, address, grid, window});
    run->Start();
    run->AttachDialogs({wizard, settingsDialog, deleteDialog});
    return run;
  }

  TempDir dir;
  test::MemorySettingsStore store;
  test::RecordingPrompts prompts;
  test::RecordingShell shell;
  test::RecordingStatus status;
  test::FakeEventPump pump;
  test::FakeMainThread reports;
  test::FakeTimer timer;
  BlankBrowser browser;
  test::FakeTree tree;
  test::FakeAddress address;
  test::RecordingGrid grid;
  RecordingWindow window;
  test::FakeWizard wizard;
  test::FakeSettingsDialog settingsDialog;
  test::FakeDeleteDialog deleteDialog;
};

// An installed program: its files go to the user's data folder, made at the first start, and
// the gallery reads the template the install shipped.
TEST_F(RunTest, AnInstalledRunKeepsItsFilesUnderTheUsersHome) {
  FolderFacts facts;
  facts.ExecutableFolder = dir / "usr/bin";
  facts.ExecutableFolderWritable = false;
  facts.InstalledBinFolder = dir / "usr/bin";
  facts.InstalledDataFolder = dir / "usr/share/vexilo";
  facts.UserDataFolder = dir / "home/.local/share";
  facts.PicturesFolder = dir / "home/Pictures";
  std::filesystem::create_directories(facts.ExecutableFolder);
  std::filesystem::create_directories(facts.InstalledDataFolder);
  WriteFileBytes(facts.InstalledDataFolder / "templet.htm", "<html></html>");

  auto run = Start(ResolveAppFolders(facts));
  const std::filesystem::path program = dir / "home/.local/share/Vexilo";
  EXPECT_TRUE(std::filesystem::is_directory(program / "task"));
  EXPECT_EQ(run->Settings().DownFolder, (dir / "home/Pictures/Vexilo").string());
  shell.PickedFolder = (dir / "gallery").string();
  run->CreateGallery();
  EXPECT_TRUE(prompts.Errors.empty()) << prompts.Errors.front();
  const std::filesystem::path offered = dir / "home/Pictures/Vexilo galleries/Gallery";
  EXPECT_EQ(shell.PickStarts, std::vector<std::string>{offered.string()});
  EXPECT_FALSE(std::filesystem::exists(offered)) << "another folder was picked";
  EXPECT_EQ(test::ReadFileBytes(dir / "gallery/page0.html"), "<html></html>\r\n");
  // The classic gallery is offered first, then whichever was picked last.
  EXPECT_EQ(prompts.Preselected, std::vector<int>{0});
  prompts.Choice = 1;
  shell.PickedFolder = (dir / "modern").string();
  run->CreateGallery();
  EXPECT_TRUE(std::filesystem::exists(dir / "modern/index.html"));
  prompts.Choice = -1;
  prompts.ChoiceCancelled = true;
  run->CreateGallery();
  EXPECT_EQ(prompts.Preselected, (std::vector<int>{0, 0, 1}));
  run->ShutDown();
  EXPECT_TRUE(std::filesystem::exists(program / "GTask.lis"));
  EXPECT_TRUE(std::filesystem::is_empty(facts.ExecutableFolder));
}

TEST_F(RunTest, StartUpLoadsTasksAndSettingsAndShutDownSavesThem) {
  WriteLines(dir / "GTask.lis", TaskLines({Task("a", ""), Task("b", "")}));
  WriteFileBytes(dir / ".GTask.lis.u8Fq2Z", "half");
  auto run = Start();
  EXPECT_TRUE(std::filesystem::is_directory(dir / "task"));
  EXPECT_FALSE(std::filesystem::exists(dir / ".GTask.lis.u8Fq2Z"));
  EXPECT_EQ(tree.Captions, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(run->Settings().DownFolder, (dir / "pictures").string());
  EXPECT_TRUE(run->State().CrawlIdle());
  EXPECT_TRUE(prompts.Errors.empty());

  run->Settings().ProxyServer = "proxy";
  run->State().CrawlStarted();
  run->ShutDown();
  EXPECT_EQ(ReadLines(dir / "GTask.lis"), TaskLines({Task("a", ""), Task("b", "")}));
  EXPECT_EQ(store.Values.at("ProxyServer"), "proxy");
  EXPECT_TRUE(run->State().CrawlIdle());
  EXPECT_TRUE(run->State().StopRequested());
  run->DownloadTick();  // after shut-down the scheduler hands nothing out
  EXPECT_FALSE(timer.Enabled());
}

TEST_F(RunTest, AFailedStartSavesNothingOver) {
  store.FailOpen = true;
  std::filesystem::create_directory(dir / "GTask.lis");
  auto run = Start();
  EXPECT_EQ(prompts.Errors.size(), 2u);
  EXPECT_TRUE(tree.Captions.empty());
  run->ShutDown();
  EXPECT_TRUE(store.Values.empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "GTask.lis"));
}

TEST_F(RunTest, ATaskListWithAnUnreadableBlockIsNamedOnceAndNeverSaved) {
  std::filesystem::create_directory(dir / "pics");
  WriteBmp(Bitmap24(20, 10), dir / "pics" / "p.bmp");
  TaskRecord climbing = Task("b", (dir / "pics").string());
  climbing.FolderName = "../../..";
  WriteLines(dir / "GTask.lis", TaskLines({Task("a", (dir / "pics").string()), climbing}));
  const std::string bytes = test::ReadFileBytes(dir / "GTask.lis");
  auto run = Start();
  ASSERT_EQ(prompts.Errors.size(), 1u);
  EXPECT_NE(prompts.Errors[0].find("task 2 (lines 22 to 42): line 41"), std::string::npos)
      << prompts.Errors[0];
  EXPECT_EQ(tree.Captions, (std::vector<std::string>{"a", "b"})) << "nodes stay in step";

  run->Tasks().SelectNode(0);
  run->Tasks().SelectNode(1);
  EXPECT_EQ(run->CurrentTask().Name, "a");
  EXPECT_TRUE(grid.Captions.empty()) << "nothing of the refused block is listed";
  EXPECT_EQ(prompts.Errors.size(), 1u);
  run->ShutDown();
  EXPECT_EQ(test::ReadFileBytes(dir / "GTask.lis"), bytes);
}

TEST_F(RunTest, SelectingATaskListsItsPicturesAndRows) {
  std::filesystem::create_directory(dir / "pics");
  Bitmap24 picture(20, 10);
  WriteBmp(picture, dir / "pics" / "p.bmp");
  WriteLines(dir / "GTask.lis",
             TaskLines({Task("a", (dir / "pics").string() + "/"), Task("b", "")}));
  std::filesystem::create_directories(dir / "task" / "a");
  WriteLines(dir / "task" / "a" / "listview.dat", {"p.bmp", "http://x/p.bmp", "20", "10"});
  auto run = Start();

  run->Tasks().SelectNode(0);
  EXPECT_EQ(run->CurrentTask().Name, "a");
  EXPECT_EQ(grid.Captions, std::vector<std::string>{"p.bmp"});
  ASSERT_EQ(run->PictureSet().Count(), 1);
  EXPECT_EQ(run->PictureSet().Items()[0].Thumbnail.Width(), 80);
  EXPECT_EQ(window.Rows, (std::vector<PictureEntry>{{"p.bmp", "http://x/p.bmp", "20", "10"}}));
  EXPECT_EQ(status.Text(kCountPanel), "1 pictures are listed.");

  run->Tasks().SelectNode(1);
  EXPECT_EQ(run->CurrentTask().Name, "b");
  EXPECT_TRUE(grid.Captions.empty());
  EXPECT_TRUE(window.Rows.empty());

  // A folder removed outside Vexilo is named, not shown as a task without pictures.
  std::filesystem::remove_all(dir / "pics");
  run->Tasks().SelectNode(0);
  EXPECT_EQ(prompts.Messages,
            std::vector<std::string>{GoneTaskFolderText("a", (dir / "pics").string())});
  EXPECT_EQ(window.Rows.size(), 1u);

  run->State().CrawlStarted();
  EXPECT_FALSE(run->Tasks().SelectionChangeAllowed());
  EXPECT_EQ(prompts.Messages.back(), "Please wait for completing current task.");
}

// After a restart the rows say what became of each picture, as far as the saved state and the
// folder tell.
TEST_F(RunTest, SelectingATaskShowsWhatBecameOfEachPicture) {
  const std::filesystem::path pictures = dir / "pics";
  std::filesystem::create_directory(pictures);
  WriteLines(dir / "GTask.lis", TaskLines({Task("a", pictures.string() + "/")}));
  CrawlState state;
  std::vector<PictureEntry> rows;
  for (const std::string name : {"fetched", "failed", "cut", "removed", "later"}) {
    state.Queue.push_back({"http://x/" + name + ".jpg", (pictures / (name + ".jpg")).string()});
    rows.push_back({name + ".jpg", "http://x/" + name + ".jpg", "", ""});
  }
  rows[0].Page = state.Queue[0].Page = "http://x/page.html";
  state.DispatchedCount = 4;
  state.Failed = {{state.Queue[1].Url, state.Queue[1].SavePath, "404 Not Found"}};
  state.CutOff = {state.Queue[2]};  // its file is there, cut short
  const std::string jpeg =
      test::ReadFileBytes(test::TestData("libjpeg-turbo-testimages/testorig.jpg"));
  for (const std::string name : {"fetched", "failed", "cut", "later"}) {
    WriteFileBytes(pictures / (name + ".jpg"), jpeg);
  }
  TaskStateFiles(dir.Path()).SaveCrawlState("a", rows, state);
  auto run = Start();

  run->Tasks().SelectNode(0);

  EXPECT_EQ(window.Rows.size(), 5u);
  EXPECT_EQ(window.Statuses,
            (std::map<int, std::string>{{0, "done"}, {1, "failed: 404 Not Found"}, {2, ""}}));

  // What a row knows goes with its picture, found by its save path, into the CSV and the
  // modern gallery's captions.
  run->ExportCsv();
  const std::string csv = test::ReadFileBytes(dir / "exportlists.csv");
  EXPECT_NE(csv.find("\r\nfetched.jpg,http://x/fetched.jpg,http://x/page.html,,,done," +
                     (pictures / "fetched.jpg").string() + "\r\n"),
            std::string::npos)
      << csv;
  prompts.Choice = 1;
  shell.PickedFolder = (dir / "modern").string();
  run->CreateGallery();
  const std::string page = test::ReadFileBytes(dir / "modern/index.html");
  EXPECT_NE(page.find("data-name=\"fetched.jpg\" data-w=\"227\" data-h=\"149\" "
                      "data-src=\"http://x/fetched.jpg\" data-page=\"http://x/page.html\">"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("data-name=\"later.jpg\" data-w=\"227\" data-h=\"149\" "
                      "data-src=\"http://x/later.jpg\">"),
            std::string::npos);
}

// Real photographs: one at three sizes, another once; the two smaller copies go to the
// Trash after the question, and the folder is listed again.
TEST_F(RunTest, FindCopiesMovesTheSmallerCopiesToTheTrashAfterAYes) {
  const std::vector<std::filesystem::path> photos = test::WallpaperPhotos(2);
  const std::filesystem::path folder = dir / "photos";
  std::filesystem::create_directories(folder);
  if (photos.size() < 2 ||
      !test::ConvertPicture(photos[0], "-resize 300x300 -quality 40", folder / "a-small.jpg") ||
      !test::ConvertPicture(photos[0], "-resize 900x900", folder / "a-medium.jpg") ||
      !test::ConvertPicture(photos[0], "-resize 1200x1200", folder / "a-large.jpg") ||
      !test::ConvertPicture(photos[1], "-resize 900x900", folder / "b.jpg")) {
    GTEST_SKIP() << "needs the photographs of plasma-workspace-wallpapers and ImageMagick";
  }
  auto run = Start();
  run->Pictures().ListFolderPictures(folder.string());
  ASSERT_EQ(run->PictureSet().Count(), 4);
  prompts.Answer = false;
  run->FindCopies();
  ASSERT_EQ(prompts.Questions.size(), 1u);
  EXPECT_TRUE(prompts.Questions[0].starts_with("a-large.jpg (1200 x ")) << prompts.Questions[0];
  EXPECT_NE(prompts.Questions[0].find("): 2 smaller copies, "), std::string::npos);
  EXPECT_NE(prompts.Questions[0].find("Move the 2 smaller copies of 1 picture ("),
            std::string::npos);
  EXPECT_TRUE(shell.Trashed.empty()) << "No moves nothing";

  prompts.Answer = true;
  run->FindCopies();
  EXPECT_EQ(shell.Trashed, (std::vector<std::string>{(folder / "a-medium.jpg").string(),
                                                     (folder / "a-small.jpg").string()}));
  EXPECT_EQ(grid.Captions, (std::vector<std::string>{"a-large.jpg", "b.jpg"}));
  run->FindCopies();
  EXPECT_EQ(prompts.Messages.back(), kNoCopiesText);
}

}  // namespace
}  // namespace vexilo
