#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "core/TaskStateFiles.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"
#include "tasks/CheckSchedule.h"
#include "tasks/TaskCommands.h"
#include "tasks/TaskFakes.h"
#include "tasks/TaskForm.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

class TaskCommandsTest : public testing::Test {
 protected:
  TaskCommandsTest() {
    mSettings.DownFolder = (mDir / "pictures").string();
    fs::create_directories(mSettings.DownFolder);
    fs::create_directories(mDir / "task");
    mTasks.LoadTaskList();
  }

  fs::path PictureFolder(const std::string& folderName) const {
    return fs::path(mSettings.DownFolder) / folderName;
  }
  fs::path StateFolder(const std::string& folderName) const {
    return TaskStateFiles(mDir.Path()).StateFolder(folderName);
  }

  // A task as a past run left it: its block and node, a picture and a saved state.
  TaskRecord AddStoredTask(const std::string& name, const std::string& folderName) {
    TaskForm form;
    form.Name = name;
    form.StartUrl = "http://" + name + ".test/";
    TaskRecord r = NewTaskFromForm(form, mSettings.DownFolder, mDir.Path());
    r.FolderName = folderName;
    r.TaskFolder = PictureFolder(folderName).string();
    fs::create_directories(r.TaskFolder);
    WriteFileBytes(PictureFolder(folderName) / "a.jpg", "jpeg");
    TaskStateFiles(mDir.Path())
        .SaveCrawlState(folderName, {{"a.jpg", "http://x/a.jpg", "", ""}}, CrawlState{});
    mTasks.AppendTaskRecord(r);
    mTasks.SaveTaskList();
    mTree.AddTaskNode(name);
    return r;
  }

  std::vector<std::string> StoredNames() const {
    TaskList reloaded(mDir.Path());
    reloaded.LoadTaskList();
    std::vector<std::string> names;
    for (int i = 0; i < reloaded.TaskCount(); ++i) names.push_back(reloaded.TaskName(i));
    return names;
  }

  TempDir mDir;
  AppSettings mSettings;
  TaskList mTasks{mDir.Path()};
  TaskRecord mCurrent;
  RunState mRun;
  test::FakeTree mTree;
  test::FakePictures mPictures;
  test::FakeAddress mAddress;
  test::FakeCrawl mCrawl;
  test::FakeWizard mWizard;
  test::FakeSettingsDialog mSettingsDialog;
  test::FakeDeleteDialog mDeleteDialog;
  test::RecordingPrompts mPrompts;
  test::RecordingShell mShell;
  TaskCommands mCommands{{mDir.Path(), mTasks, mCurrent, mRun, mSettings, mTree, mPictures,
                          mAddress, mCrawl, mWizard, mSettingsDialog, mDeleteDialog, mPrompts,
                          mShell}};
};

TEST_F(TaskCommandsTest, NewCancelledChangesNothing) {
  mCommands.New();
  EXPECT_EQ(mWizard.Shows, 1);
  EXPECT_EQ(mTasks.TaskCount(), 0);
  EXPECT_TRUE(mTree.Captions.empty());
  EXPECT_EQ(mCrawl.Runs, 0);
  EXPECT_EQ(ReadFileBytes(mDir / "GTask.lis"), "");
}

TEST_F(TaskCommandsTest, NewAcceptedStoresSelectsAndCrawlsTheTask) {
  TaskForm form;
  form.Name = "cats";
  form.StartUrl = "http://cats.test/";
  mWizard.Fill = [&](TaskRecord& record) {
    record = NewTaskFromForm(form, mSettings.DownFolder, mDir.Path());
    return true;
  };
  mRun.ResumeRequested = true;
  mCrawl.During = [&] {
    EXPECT_EQ(StoredNames(), std::vector<std::string>{"cats"});
    EXPECT_EQ(mTree.Selected, 0);
    EXPECT_EQ(mPictures.Listed, std::vector<int>{0});
    EXPECT_EQ(mCurrent.FolderName, "cats");
  };
  mCommands.New();
  EXPECT_EQ(mCrawl.Runs, 1);
  EXPECT_EQ(mTree.Captions, std::vector<std::string>{"cats"});
}

TEST_F(TaskCommandsTest, ANewTaskAfterAResumeStartsClean) {
  AddStoredTask("cats", "cats");
  mTree.Selected = 0;
  mCommands.Resume();
  ASSERT_TRUE(mRun.ResumeRequested);
  // Old state files sit in the folder the new task's record names.
  TaskStateFiles(mDir.Path())
      .SaveCrawlState("old", {{"o.jpg", "http://old/o.jpg", "", ""}}, CrawlState{});
  mWizard.Fill = [](TaskRecord& record) {
    record.Name = "fresh";
    record.TaskType = "0";
    record.FolderName = "old";
    return true;
  };
  bool resumed = true;
  mCrawl.During = [&] { resumed = mRun.ResumeRequested; };
  mCommands.New();
  EXPECT_FALSE(resumed) << "New";

  mCommands.Resume();
  resumed = true;
  mAddress.Text = "http://pics.example.org/";
  mCommands.QuickStart();
  EXPECT_FALSE(resumed) << "Quick Start";
  EXPECT_EQ(mCrawl.Runs, 4);
}

TEST_F(TaskCommandsTest, NewQuickTaskGoesOnWithQuickStartOnTheWizardsAddress) {
  mWizard.QuickAddress = "http://pics.example.org/gallery/";
  mWizard.Fill = [](TaskRecord& record) {
    record.TaskType = "2";
    return true;
  };
  mCommands.New();
  EXPECT_EQ(mAddress.Text, "http://pics.example.org/gallery/");
  EXPECT_EQ(mCrawl.Runs, 1);
  EXPECT_EQ(mTree.Captions, std::vector<std::string>{"example.org"});
  EXPECT_EQ(mCurrent.StartUrl, "http://pics.example.org/gallery/");
  EXPECT_EQ(mCurrent.TaskFolder, PictureFolder("example.org").string());
}

TEST_F(TaskCommandsTest, QuickStartNeverNamesAFolderOutsideItsOwn) {
  // The first run: the download folder does not exist yet.
  fs::remove_all(mSettings.DownFolder);
  struct Row {
    const char* Address;
    const char* Name;
    const char* FolderName;
  };
  const Row rows[] = {
      {"http://host/page?contact=me@..", "..", "host"},
      {"file:///usr/share/pixmaps/", "Task", "Task"},
      {"http://", "Task", "(1)Task"},  // the first one's state folder is taken
  };
  // As the crawl does: the state folder is made when the crawl ends.
  mCrawl.During = [&] {
    TaskStateFiles(mDir.Path()).SaveCrawlState(mCurrent.FolderName, {}, CrawlState{});
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Address);
    mAddress.Text = row.Address;
    mCommands.QuickStart();
    EXPECT_EQ(mCurrent.Name, row.Name);
    EXPECT_EQ(mCurrent.FolderName, row.FolderName);
    EXPECT_EQ(mCurrent.TaskFolder, PictureFolder(row.FolderName).string());
    EXPECT_EQ(mTree.Captions.back(), row.Name);
  }
  EXPECT_FALSE(fs::exists(mDir / "counti.dat"));
  EXPECT_FALSE(fs::exists(mDir / "task" / "counti.dat"));
  EXPECT_TRUE(mPrompts.Errors.empty());
}

TEST_F(TaskCommandsTest, ANewTaskThatCannotBeMadeLeavesTheSelectedTasksRecord) {
  TaskRecord selected = AddStoredTask("cats", "cats");
  mCurrent = selected;
  mSettings.DownFolder.clear();
  mWizard.QuickAddress = "http://pics.example.org/";
  mWizard.Fill = [](TaskRecord& record) {
    record.TaskType = "2";
    return true;
  };
  mCommands.New();
  EXPECT_EQ(mPrompts.Errors.size(), 1u);
  EXPECT_EQ(mCurrent, selected);
  EXPECT_EQ(mTasks.TaskCount(), 1);
  EXPECT_EQ(mCrawl.Runs, 0);
}

TEST_F(TaskCommandsTest, QuickStartTwiceOnOneSiteMakesASecondFolder) {
  mAddress.Text = "http://pics.example.org/a/";
  mCurrent.MinSizeKb = 5;
  mCurrent.Reserved18 = "kept";
  mCurrent.LinkCutFrom = "dropped";
  mCommands.QuickStart();
  fs::create_directories(mCurrent.TaskFolder);  // as the crawl start does
  mCommands.QuickStart();

  ASSERT_EQ(mTasks.TaskCount(), 2);
  TaskRecord second = mTasks.ReadTaskRecord(1);
  EXPECT_EQ(second.Name, "example.org");
  EXPECT_EQ(second.FolderName, "(1)example.org");
  EXPECT_EQ(second.TaskFolder, PictureFolder("(1)example.org").string());
  EXPECT_EQ(second.TaskType, "2");
  EXPECT_EQ(second.LinkLevels, 9);
  EXPECT_EQ(second.LinkScope, 1);
  EXPECT_EQ(second.IdleSeconds, 10);
  EXPECT_EQ(second.MinSizeKb, 5);
  EXPECT_EQ(second.Reserved18, "kept");
  EXPECT_EQ(second.LinkCutFrom, "");
  EXPECT_EQ(mTree.Selected, 1);
  EXPECT_EQ(mCrawl.Runs, 2);
}

TEST_F(TaskCommandsTest, QuickStartWithABlankAddressDoesNothing) {
  for (const char* text : {"", "  "}) {
    mAddress.Text = text;
    mCommands.QuickStart();
  }
  EXPECT_EQ(mTasks.TaskCount(), 0);
  EXPECT_EQ(mCrawl.Runs, 0);
  EXPECT_TRUE(mPrompts.Messages.empty());
}

TEST_F(TaskCommandsTest, ASecondCrawlAndChangesOfTheRunningTaskAreRefused) {
  AddStoredTask("cats", "cats");
  AddStoredTask("dogs", "dogs");
  mTree.Selected = 0;
  mAddress.Text = "http://other.test/";
  mRun.CrawlStarted();
  struct Row {
    const char* Command;
    std::function<void()> Run;
    const char* Message;
  };
  const Row rows[] = {
      {"New", [&] { mCommands.New(); }, kStopFirstMessage},
      {"Quick Start", [&] { mCommands.QuickStart(); }, kStopFirstMessage},
      {"Resume", [&] { mCommands.Resume(); }, kStopFirstMessage},
      {"Restart", [&] { mCommands.Restart(); }, kStopFirstMessage},
      {"Delete", [&] { mCommands.Delete(); }, kWaitMessage},
      {"Next Task", [&] { mCommands.NextTask(); }, kWaitMessage},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Command);
    mPrompts.Messages.clear();
    row.Run();
    EXPECT_EQ(mPrompts.Messages, std::vector<std::string>{row.Message});
  }
  EXPECT_FALSE(mCommands.SelectionChangeAllowed());
  EXPECT_EQ(mWizard.Shows + mDeleteDialog.Shows + mCrawl.Runs, 0);
  EXPECT_TRUE(mPrompts.Questions.empty());
  EXPECT_EQ(mTree.Selected, 0);
  EXPECT_TRUE(mPictures.Listed.empty());
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"cats", "dogs"}));
  EXPECT_TRUE(fs::exists(PictureFolder("cats") / "a.jpg"));
}

TEST_F(TaskCommandsTest, DeletingTheFirstOfThreeTasksMovesTheOthersUp) {
  AddStoredTask("a", "a");
  AddStoredTask("b", "b");
  AddStoredTask("c", "c");
  // What a save the program was killed in left of "a".
  fs::create_directories(mDir / "task" / ".a.new.Kill09");
  WriteFileBytes(mDir / "task" / ".a.new.Kill09" / "listview.dat", "x");
  mTree.Selected = 0;
  mCommands.Delete();

  EXPECT_FALSE(fs::exists(PictureFolder("a")));
  EXPECT_FALSE(fs::exists(StateFolder("a")));
  EXPECT_FALSE(fs::exists(mDir / "task" / ".a.new.Kill09"));
  EXPECT_TRUE(fs::exists(PictureFolder("b") / "a.jpg"));
  EXPECT_TRUE(fs::exists(StateFolder("c") / "listview.dat"));
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(mTasks.ReadTaskRecord(0).FolderName, "b");
  EXPECT_EQ(mTree.Captions, (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(mTree.Selected, 1);
  EXPECT_EQ(mPictures.Listed, std::vector<int>{1});
}

TEST_F(TaskCommandsTest, DeletingTheLastTaskLeavesTheRootSelectedAndAnEmptyFile) {
  AddStoredTask("a", "a");
  mTree.Selected = 0;
  mCommands.Delete();
  EXPECT_EQ(ReadFileBytes(mDir / "GTask.lis"), "");
  EXPECT_TRUE(mTree.Captions.empty());
  EXPECT_EQ(mTree.Selected, TaskTreeView::kRootNode);
  EXPECT_EQ(mPictures.Listed, std::vector<int>{TaskTreeView::kRootNode});
  EXPECT_TRUE(fs::exists(mDir / "task"));
  EXPECT_TRUE(fs::exists(mSettings.DownFolder));
}

TEST_F(TaskCommandsTest, DeletingOnlyThePicturesKeepsTheTask) {
  AddStoredTask("a", "a");
  mTree.Selected = 0;
  mDeleteDialog.Choice = DeleteChoice{false, true};
  mCommands.Delete();
  EXPECT_FALSE(fs::exists(PictureFolder("a")));
  EXPECT_TRUE(fs::exists(StateFolder("a") / "listview.dat"));
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"a"});
  EXPECT_EQ(mTree.Captions, std::vector<std::string>{"a"});
}

TEST_F(TaskCommandsTest, CancelledDeleteOrRootSelectionDeletesNothing) {
  AddStoredTask("a", "a");
  mTree.Selected = TaskTreeView::kRootNode;
  mCommands.Delete();
  EXPECT_EQ(mDeleteDialog.Shows, 0);
  mTree.Selected = 0;
  mDeleteDialog.Choice = std::nullopt;
  mCommands.Delete();
  EXPECT_TRUE(fs::exists(PictureFolder("a") / "a.jpg"));
  EXPECT_TRUE(fs::exists(StateFolder("a")));
  EXPECT_EQ(mTasks.TaskCount(), 1);
}

TEST_F(TaskCommandsTest, DeleteOfAHandEditedBlockTouchesNoOtherFolder) {
  AddStoredTask("other", "other");
  fs::create_directories(PictureFolder("t1"));
  fs::create_directories(mDir / "elsewhere");
  WriteFileBytes(mDir / "elsewhere" / "keep.txt", "k");
  struct Row {
    std::string TaskFolder;
    std::string FolderName;
  };
  const Row rows[] = {
      {mSettings.DownFolder, "pictures"},       // the download folder itself
      {mSettings.DownFolder + "/", ""},         // no folder name: the shared task folder
      {(mDir / "elsewhere").string(), "cats"},  // not the task's own folder
      {PictureFolder("..").string(), ".."},     // climbing out
      {PictureFolder("x/../other").string(), "x/../other"},
      {PictureFolder("t1/../../elsewhere").string(), "elsewhere"},  // last parts match
      {PictureFolder("other ").string(), "other "},                 // trimmed, it is another task's
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.TaskFolder + " | " + row.FolderName);
    TaskRecord r = mTasks.ReadTaskRecord(0);
    r.TaskFolder = row.TaskFolder;
    r.FolderName = row.FolderName;
    mTasks.AppendTaskRecord(r);
    mTree.AddTaskNode("edited");
    mTree.Selected = 1;
    mCommands.Delete();
    EXPECT_EQ(mTasks.TaskCount(), 1);
    EXPECT_TRUE(fs::exists(PictureFolder("other") / "a.jpg"));
    EXPECT_TRUE(fs::exists(StateFolder("other") / "listview.dat"));
    EXPECT_TRUE(fs::exists(mDir / "elsewhere" / "keep.txt"));
    EXPECT_TRUE(fs::exists(mDir / "GTask.lis"));
  }
}

TEST_F(TaskCommandsTest, PicturesOutsideTheDownloadFolderAreLeftAndTheUserIsTold) {
  TaskRecord stored = AddStoredTask("cats", "cats");
  // A restart through a hand-edited block: the crawl goes on, the outside folder stays.
  fs::create_directories(PictureFolder("t1"));
  fs::create_directories(mDir / "outside");
  WriteFileBytes(mDir / "outside" / "keep.txt", "k");
  TaskRecord edited = stored;
  edited.TaskFolder = PictureFolder("t1/../../outside").string();
  edited.FolderName = "outside";
  mTasks.WriteTaskRecord(0, edited);
  mTree.Selected = 0;
  mCommands.Restart();
  EXPECT_TRUE(fs::exists(mDir / "outside" / "keep.txt"));
  EXPECT_EQ(mPrompts.Messages,
            std::vector<std::string>{PicturesLeftMessage(edited.TaskFolder, mSettings.DownFolder)});
  EXPECT_EQ(mCrawl.Runs, 1);

  // The task's own folder, written with a trailing "/" and a doubled one, still goes.
  edited.TaskFolder = mSettings.DownFolder + "//cats/";
  edited.FolderName = "cats";
  mTasks.WriteTaskRecord(0, edited);
  mPrompts.Messages.clear();
  mDeleteDialog.Choice = DeleteChoice{false, true};
  mCommands.Delete();
  EXPECT_FALSE(fs::exists(PictureFolder("cats")));
  EXPECT_TRUE(mPrompts.Messages.empty());

  // After the download folder changed, an older task's pictures stay where they are.
  fs::create_directories(PictureFolder("cats"));
  WriteFileBytes(PictureFolder("cats") / "a.jpg", "jpeg");
  std::string oldDownFolder = mSettings.DownFolder;
  mSettings.DownFolder = (mDir / "newpictures").string();
  mCommands.Delete();
  EXPECT_TRUE(fs::exists(fs::path(oldDownFolder) / "cats" / "a.jpg"));
  EXPECT_EQ(mPrompts.Messages.size(), 1u);
}

TEST_F(TaskCommandsTest, RestartOfASecondFolderTaskRemovesOnlyItsFoldersAndCrawlsAfresh) {
  AddStoredTask("N", "N");
  TaskRecord second = AddStoredTask("N", "(1)N");
  mTree.Selected = 1;
  mCurrent = mTasks.ReadTaskRecord(1);
  mRun.ResumeRequested = true;
  mCrawl.During = [&] {
    EXPECT_FALSE(mRun.ResumeRequested);
    EXPECT_EQ(mCurrent, second);
  };
  mCommands.Restart();
  EXPECT_EQ(mPrompts.Questions, std::vector<std::string>{kRestartQuestion});
  EXPECT_FALSE(fs::exists(PictureFolder("(1)N")));
  EXPECT_FALSE(fs::exists(StateFolder("(1)N")));
  EXPECT_TRUE(fs::exists(PictureFolder("N") / "a.jpg"));
  EXPECT_TRUE(fs::exists(StateFolder("N") / "listview.dat"));
  EXPECT_EQ(mPictures.Clears, 1);
  EXPECT_EQ(mCrawl.Runs, 1);
  EXPECT_EQ(mTasks.TaskCount(), 2);
}

TEST_F(TaskCommandsTest, RestartNotConfirmedDoesNothing) {
  AddStoredTask("N", "N");
  mTree.Selected = 0;
  mPrompts.Answer = false;
  mCommands.Restart();
  EXPECT_TRUE(fs::exists(PictureFolder("N") / "a.jpg"));
  EXPECT_EQ(mPictures.Clears + mCrawl.Runs, 0);
}

TEST_F(TaskCommandsTest, ResumeReadsTheTaskAndAsksForItsSavedState) {
  TaskRecord stored = AddStoredTask("cats", "cats");
  mTree.Selected = 0;
  mCrawl.During = [&] {
    EXPECT_TRUE(mRun.ResumeRequested);
    EXPECT_EQ(mCurrent, stored);
  };
  mCommands.Resume();
  EXPECT_EQ(mCrawl.Runs, 1);
}

TEST_F(TaskCommandsTest, AnUnreadableBlockIsRefusedAndNeverWrittenOver) {
  TaskRecord cats = AddStoredTask("cats", "cats");
  AddStoredTask("dogs", "dogs");
  std::string bytes = ReadFileBytes(mDir / "GTask.lis");
  size_t dogs = bytes.find("dogs\r\n");
  bytes.replace(bytes.find("\r\n9\r\n", dogs), 5, "\r\nnine\r\n");  // its link levels
  WriteFileBytes(mDir / "GTask.lis", bytes);
  mTasks.LoadTaskList();
  // Selecting dogs failed to read it, so the current record is still cats'.
  mCurrent = cats;
  mTree.Selected = 1;
  mSettingsDialog.Edit = [](TaskRecord&) { return true; };
  const std::string refusal = UnreadableTaskMessage("dogs", "line 26 is not a whole number");

  struct Row {
    const char* Command;
    std::function<void()> Run;
  };
  const Row rows[] = {
      {"Settings", [&] { mCommands.Settings(); }},
      {"Resume", [&] { mCommands.Resume(); }},
      {"Restart", [&] { mCommands.Restart(); }},
      {"Delete", [&] { mCommands.Delete(); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Command);
    mPrompts.Errors.clear();
    row.Run();
    EXPECT_EQ(mPrompts.Errors, std::vector<std::string>{refusal});
  }
  EXPECT_EQ(ReadFileBytes(mDir / "GTask.lis"), bytes);
  EXPECT_EQ(mSettingsDialog.Shows + mDeleteDialog.Shows + mCrawl.Runs, 0);
  EXPECT_TRUE(mPrompts.Questions.empty());
  EXPECT_TRUE(fs::exists(PictureFolder("dogs") / "a.jpg"));
  EXPECT_TRUE(fs::exists(StateFolder("dogs") / "listview.dat"));
  EXPECT_EQ(mCurrent, cats);

  // Deleting cats' settings would not reach the file, so nothing of cats is deleted either.
  mTree.Selected = 0;
  mPrompts.Errors.clear();
  mCommands.Delete();
  EXPECT_EQ(mPrompts.Errors.size(), 1u);
  EXPECT_TRUE(fs::exists(PictureFolder("cats") / "a.jpg"));
  EXPECT_TRUE(fs::exists(StateFolder("cats") / "listview.dat"));
  EXPECT_EQ(ReadFileBytes(mDir / "GTask.lis"), bytes);
}

TEST_F(TaskCommandsTest, ResumeAndRestartSayWhyAPictureFolderCannotBeUsed) {
  TaskRecord stored = AddStoredTask("cats", "cats");
  mTree.Selected = 0;
  for (const char* folder : {"/", "//..", "cats", ""}) {
    SCOPED_TRACE(folder);
    TaskRecord edited = stored;
    edited.TaskFolder = folder;
    mTasks.WriteTaskRecord(0, edited);
    mPrompts.Errors.clear();
    mCommands.Resume();
    mCommands.Restart();
    const std::string reason =
        edited.TaskFolder.starts_with("/") ? "is the root folder" : "is not a full path";
    const std::string why = UnusableFolderMessage("cats", folder, reason, 4);
    EXPECT_EQ(mPrompts.Errors, (std::vector<std::string>{why, why}));
  }
  EXPECT_EQ(mCrawl.Runs, 0);
  EXPECT_TRUE(mPrompts.Questions.empty());
  EXPECT_TRUE(fs::exists(StateFolder("cats") / "listview.dat"));
}

TEST_F(TaskCommandsTest, SettingsOkStoresTheRecordButKeepsTheCaption) {
  AddStoredTask("cats", "cats");
  mTree.Selected = 0;
  mSettingsDialog.Edit = [](TaskRecord& record) {
    record.Name = "dogs";
    return true;
  };
  mSettingsDialog.NewHours = 12;
  mCommands.Settings();
  EXPECT_EQ(mSettingsDialog.ShownHours, 0);
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"dogs"});
  EXPECT_EQ(mTree.Captions, std::vector<std::string>{"cats"});
  EXPECT_EQ(mCurrent, mTasks.ReadTaskRecord(0));
  // The schedule goes to the state folder of the folder name the task has now.
  EXPECT_EQ(ReadCheckSchedule(StateFolder(mCurrent.FolderName)), (CheckSchedule{12, {}}));
  mCommands.Settings();
  EXPECT_EQ(mSettingsDialog.ShownHours, 12);
}

TEST_F(TaskCommandsTest, SettingsCancelledOrOnTheRootWritesNothing) {
  AddStoredTask("cats", "cats");
  std::string before = ReadFileBytes(mDir / "GTask.lis");
  mTree.Selected = TaskTreeView::kRootNode;
  mCommands.Settings();
  EXPECT_EQ(mSettingsDialog.Shows, 0);
  mTree.Selected = 0;
  mCommands.Settings();
  EXPECT_EQ(mSettingsDialog.Shows, 1);
  EXPECT_EQ(ReadFileBytes(mDir / "GTask.lis"), before);
}

TEST_F(TaskCommandsTest, OpenDestinationFolderOpensTheSelectedTasksFolder) {
  AddStoredTask("cats", "cats");
  mCommands.OpenDestinationFolder();
  EXPECT_TRUE(mShell.Opened.empty());
  mTree.Selected = 0;
  mCommands.OpenDestinationFolder();
  EXPECT_EQ(mShell.Opened, std::vector<std::string>{PictureFolder("cats").string()});
}

TEST_F(TaskCommandsTest, PreviousAndNextTaskStopAtTheEnds) {
  struct Row {
    int Tasks;
    int Selected;
    bool Next;
    int Expected;
  };
  const int root = TaskTreeView::kRootNode;
  const int none = TaskTreeView::kNoNode;
  const Row rows[] = {
      {0, root, true, root}, {2, root, true, 0}, {2, 0, true, 1},        {2, 1, true, 1},
      {2, 1, false, 0},      {2, 0, false, 0},   {2, root, false, root}, {2, none, true, none},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.Tasks << " tasks, selected " << row.Selected
                                    << (row.Next ? ", next" : ", previous"));
    mTree.Captions.assign(static_cast<size_t>(row.Tasks), "t");
    mTree.Selected = row.Selected;
    mPictures.Listed.clear();
    row.Next ? mCommands.NextTask() : mCommands.PreviousTask();
    EXPECT_EQ(mTree.Selected, row.Expected);
    EXPECT_EQ(mPictures.Listed.size(), row.Expected == row.Selected ? 0u : 1u);
  }
}

TEST_F(TaskCommandsTest, AFailedSaveIsShownAndKeepsBlockAndNodeInStep) {
  ::chmod((mDir / "GTask.lis").c_str(), 0444);
  mAddress.Text = "http://pics.example.org/";
  mCommands.QuickStart();
  EXPECT_EQ(mPrompts.Errors.size(), 1u);
  EXPECT_EQ(mTasks.TaskCount(), 1);
  EXPECT_EQ(mTree.Captions.size(), 1u);
  EXPECT_EQ(mCrawl.Runs, 0);
}

}  // namespace
}  // namespace vexilo

namespace vexilo {
namespace {

TEST_F(TaskCommandsTest, CheckForNewPicturesStartsFromTheSavedStateAndAsksAboutDeletions) {
  const TaskRecord record = AddStoredTask("cats", "cats");
  mTree.Selected = 0;
  mCommands.CheckForNewPictures();
  EXPECT_EQ(mPrompts.Errors, std::vector<std::string>{kNoArchiveMessage});
  EXPECT_EQ(mCrawl.Checks, 0);

  test::FakeWallClock clock;
  std::string notice;
  auto archive = PictureArchive::Open(mDir.Path(), clock, notice);
  TaskCommands commands{{mDir.Path(), mTasks, mCurrent, mRun, mSettings, mTree, mPictures, mAddress,
                         mCrawl, mWizard, mSettingsDialog, mDeleteDialog, mPrompts, mShell,
                         archive.get(), clock}};
  const fs::path stateFolder = TaskStateFiles(mDir.Path()).StateFolder("cats");
  CrawlState saved;
  saved.Queue = {{"http://x/a.jpg", (PictureFolder("cats") / "a.jpg").string()},
                 {"http://x/b.jpg", (PictureFolder("cats") / "b.jpg").string()}};
  saved.DispatchedCount = 2;
  saved.CrawlLevel = 3;
  TaskStateFiles(mDir.Path())
      .SaveCrawlState("cats",
                      {{"a.jpg", "http://x/a.jpg", "", ""}, {"b.jpg", "http://x/b.jpg", "", ""}},
                      saved);
  WriteCheckSchedule(stateFolder, {6, std::nullopt});
  mPrompts.Answer = false;
  bool resumed = false;
  mCrawl.During = [&] { resumed = mRun.ResumeRequested; };
  commands.CheckForNewPictures();
  EXPECT_EQ(mPrompts.Questions, std::vector<std::string>{"Also fetch the 1 picture you deleted?"});
  ASSERT_EQ(mCrawl.Checks, 1);
  EXPECT_TRUE(resumed);
  EXPECT_EQ(mCrawl.Known.Urls,
            (std::unordered_set<std::string>{"http://x/a.jpg", "http://x/b.jpg"}));
  EXPECT_EQ(mCurrent.FolderName, "cats");
  std::vector<PictureEntry> rows;
  CrawlState start;
  TaskStateFiles(mDir.Path()).LoadCrawlState("cats", rows, start);
  EXPECT_EQ(rows.size(), 2u);
  EXPECT_EQ(start.WantUrls, std::vector<std::string>{record.StartUrl});
  EXPECT_EQ(start.CrawlLevel, 1);
  ASSERT_EQ(start.Removed.size(), 1u);
  EXPECT_EQ(start.Removed[0].Url, "http://x/b.jpg");
  EXPECT_TRUE(fs::exists(PictureFolder("cats") / "a.jpg"));
  // A schedule counts from the start of the check.
  EXPECT_EQ(ReadCheckSchedule(stateFolder), (CheckSchedule{6, clock.Now()}));

  // The schedule's and the command line's checks ask nothing: the deleted picture stays so.
  clock.Advance(std::chrono::hours(7));
  EXPECT_EQ(commands.CheckTask(0, false), "");
  EXPECT_EQ(mPrompts.Questions.size(), 1u);
  EXPECT_FALSE(mCrawl.Known.Urls.empty());
  mRun.StopPressed();
  mRun.CrawlStarted();
  EXPECT_EQ(commands.CheckTask(0, false), kStopFirstMessage);
  mRun.StopPressed();

  // A restarted task is a new one to the archive too, and keeps its schedule.
  ASSERT_TRUE(archive->HasTask("cats"));
  mPrompts.Answer = true;
  commands.Restart();
  EXPECT_FALSE(archive->HasTask("cats"));
  EXPECT_TRUE(archive->TaskPictures("cats").empty());
  EXPECT_EQ(ReadCheckSchedule(stateFolder).Hours, 6);
}

}  // namespace
}  // namespace vexilo
