// Sorting pictures out through the run, with the desktop's real Trash in a home of the test's
// own: the grid, the picture file list, the task's rows, its saved state and the archive all
// follow each change, and no file is ever written over.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "core/LineFile.h"
#include "core/TaskStateFiles.h"
#include "pictures/BmpWriter.h"
#include "platform/QtDesktopShell.h"
#include "shell/Run.h"
#include "support/FakeSeams.h"
#include "support/RecordingGrid.h"
#include "support/RunFakes.h"
#include "support/TempDir.h"
#include "tasks/NewPictureCheck.h"
#include "tasks/TaskCommands.h"
#include "tasks/TaskFakes.h"

namespace vexilo {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

bool IsFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// An environment variable set for the test's lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : mName(name) {
    if (const char* old = std::getenv(name)) mOld = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (mOld) {
      ::setenv(mName, mOld->c_str(), 1);
    } else {
      ::unsetenv(mName);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* mName;
  std::optional<std::string> mOld;
};

class SortingOutTest : public testing::Test {
 protected:
  SortingOutTest() {
    std::filesystem::create_directories(trash);
    std::filesystem::create_directories(pictures);
    std::filesystem::create_directories(sorted);
    TaskRecord task;
    task.Name = task.FolderName = "a";
    task.TaskFolder = pictures.string() + "/";
    task.TaskType = "0";
    const auto block = ToLines(task);
    WriteLines(dir / "GTask.lis", std::vector<std::string>(block.begin(), block.end()));
    CrawlState state;
    std::vector<PictureEntry> rows;
    for (const std::string name : {"a", "b", "c", "d"}) {
      WriteBmp(Bitmap24(20 + static_cast<int>(rows.size()), 10), pictures / (name + ".bmp"));
      state.Queue.push_back({"http://x/" + name + ".bmp", Saved(name + ".bmp")});
      rows.push_back({name + ".bmp", "http://x/" + name + ".bmp", "", ""});
    }
    state.DispatchedCount = 4;
    TaskStateFiles(dir.Path()).SaveCrawlState("a", rows, state);
    // Known to the archive already, as after a first check.
    EnterTaskOnce(*OpenArchive(), "a", state, IsFile);
  }

  std::string Saved(const std::string& name) const { return (pictures / name).string(); }
  std::unique_ptr<PictureArchive> OpenArchive() {
    std::string notice;
    return PictureArchive::Open(dir.Path(), SystemWallClock(), notice);
  }
  std::unique_ptr<TRun> Start() {
    auto run = std::make_unique<TRun>(RunParts{AppFolders::Beside(dir.Path()), store, prompts,
                                               shell, status, pump, reports, timer, browser, tree,
                                               address, grid, window});
    run->Start();
    run->AttachDialogs({wizard, settingsDialog, deleteDialog});
    return run;
  }
  std::vector<std::string> Listed(const TRun& run) const {
    std::vector<std::string> names;
    for (const std::string& path : run.PictureSet().Paths()) {
      names.push_back(std::filesystem::path(path).filename().string());
    }
    return names;
  }

  test::TempDir dir;
  const std::filesystem::path home = dir / "home";
  const std::filesystem::path trash = home / ".local/share/Trash";
  const std::filesystem::path pictures = dir / "pics";
  const std::filesystem::path sorted = dir / "sorted";
  ScopedEnv homeEnv{"HOME", home.string()};
  ScopedEnv dataEnv{"XDG_DATA_HOME", (home / ".local/share").string()};
  QtDesktopShell shell;
  test::MemorySettingsStore store;
  test::RecordingPrompts prompts;
  test::RecordingStatus status;
  test::FakeEventPump pump;
  test::FakeMainThread reports;
  test::FakeTimer timer;
  test::BlankBrowser browser;
  test::FakeTree tree;
  test::FakeAddress address;
  test::RecordingGrid grid;
  test::RecordingWindow window;
  test::FakeWizard wizard;
  test::FakeSettingsDialog settingsDialog;
  test::FakeDeleteDialog deleteDialog;
};

TEST_F(SortingOutTest, TrashMoveCopyAndRenameKeepGridListRowsAndArchiveInStep) {
  auto run = Start();
  run->Tasks().SelectNode(0);
  ASSERT_EQ(grid.Captions, (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp", "d.bmp"}));
  SortingOut& sorting = run->Sorting();

  prompts.Answer = false;
  EXPECT_EQ(sorting.Trash({1}), 0);
  EXPECT_TRUE(IsFile(Saved("b.bmp"))) << "a No keeps it";
  prompts.Answer = true;
  EXPECT_EQ(sorting.Trash({1}), 1);
  EXPECT_EQ(prompts.Questions.back(), "Move \"b.bmp\" to the Trash?");
  EXPECT_TRUE(IsFile((trash / "files/b.bmp").string()));
  EXPECT_TRUE(IsFile((trash / "info/b.bmp.trashinfo").string()));
  EXPECT_EQ(grid.Captions, (std::vector<std::string>{"a.bmp", "c.bmp", "d.bmp"}));
  EXPECT_EQ(window.Statuses.at(1), "removed by you");

  // The folder's own c.bmp stays as it is: the moved one takes the next free name.
  run->Settings().SortingFolder = sorted.string();
  WriteFileBytes(sorted / "c.bmp", "someone else's");
  ASSERT_TRUE(sorting.MoveToFolder(1, false));
  EXPECT_EQ(ReadFileBytes(sorted / "c.bmp"), "someone else's");
  EXPECT_TRUE(IsFile((sorted / "c (2).bmp").string()));
  EXPECT_FALSE(IsFile(Saved("c.bmp")));
  EXPECT_EQ(grid.Captions, (std::vector<std::string>{"a.bmp", "d.bmp"}));
  EXPECT_EQ(window.Statuses.at(2), "moved to " + (sorted / "c (2).bmp").string());

  ASSERT_TRUE(sorting.CopyToFolder(0, false));
  EXPECT_EQ(ReadFileBytes(sorted / "a.bmp"), ReadFileBytes(pictures / "a.bmp"));
  EXPECT_EQ(grid.Captions, (std::vector<std::string>{"a.bmp", "d.bmp"}));

  for (const char* refused : {"a", "", "x/y"}) {
    EXPECT_FALSE(sorting.Rename(1, refused)) << refused;
  }
  EXPECT_NE(prompts.Errors.front().find("a file of that name is there already"), std::string::npos)
      << prompts.Errors.front();
  ASSERT_TRUE(sorting.Rename(1, " e "));  // the ending stays
  EXPECT_TRUE(IsFile(Saved("e.bmp")));
  EXPECT_EQ(grid.Captions, (std::vector<std::string>{"a.bmp", "e.bmp"}));
  EXPECT_EQ(Listed(*run), grid.Captions);
  for (const PictureItem& item : run->PictureSet().Items()) EXPECT_FALSE(item.Thumbnail.Empty());

  // What a check for new pictures and Resume see: the trashed and the moved picture are the
  // user's removals, the renamed one is no deleted picture.
  CrawlState saved;
  TaskStateFiles(dir.Path()).LoadQueueState("a", saved);
  EXPECT_EQ(saved.Queue[3].SavePath, Saved("e.bmp"));
  ASSERT_EQ(saved.Removed.size(), 2u);
  EXPECT_EQ(saved.Removed[0].Url, "http://x/b.bmp");
  EXPECT_EQ(saved.Removed[1].Url, "http://x/c.bmp");
  std::vector<std::string> deleted;
  for (const ArchivedPicture& picture : DeletedPictures(*OpenArchive(), "a", IsFile)) {
    deleted.push_back(picture.Url);
  }
  EXPECT_EQ(deleted, (std::vector<std::string>{"http://x/b.bmp", "http://x/c.bmp"}));

  run->Tasks().SelectNode(0);
  EXPECT_EQ(window.Statuses,
            (std::map<int, std::string>{{0, "done"},
                                        {1, "removed by you"},
                                        {2, "moved to " + (sorted / "c (2).bmp").string()},
                                        {3, "done"}}));

  // A picture that cannot go is named with why, and stays listed.
  std::filesystem::remove(pictures / "e.bmp");
  EXPECT_EQ(sorting.Trash({1}), 0);
  EXPECT_EQ(prompts.Errors.back(), "This picture could not be moved to the Trash:\n\"" +
                                       Saved("e.bmp") + "\": it is gone.");
  EXPECT_EQ(grid.Captions, (std::vector<std::string>{"a.bmp", "e.bmp"}));
}

}  // namespace
}  // namespace vexilo
