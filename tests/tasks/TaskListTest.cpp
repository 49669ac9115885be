#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/Errors.h"
#include "support/TempDir.h"
#include "tasks/TaskList.h"

namespace vexilo {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

TaskRecord SampleTask(const std::string& name) {
  TaskRecord r;
  r.Name = name;
  r.StartUrl = "http://a.b/c/";
  r.TaskFolder = "/data/pictures/" + name;
  r.LinkLevels = 9;
  r.LinkScope = 1;
  r.IdleSeconds = -10;
  r.MinWidth = 300;
  r.MinHeight = 200;
  r.ManualLogin = 1;
  r.TaskType = "1";
  r.GrabFromLinks = "0";
  r.FolderName = name;
  return r;
}

std::string BlockBytes(const TaskRecord& r) {
  std::string bytes;
  for (const std::string& line : ToLines(r)) bytes += line + "\n";
  return bytes;
}

TEST(TaskList, FirstStartCreatesAnEmptyFile) {
  TempDir dir;
  TaskList list(dir.Path());
  list.LoadTaskList();
  EXPECT_EQ(list.TaskCount(), 0);
  EXPECT_TRUE(std::filesystem::exists(dir / "GTask.lis"));
  EXPECT_EQ(ReadFileBytes(dir / "GTask.lis"), "");
}

TEST(TaskList, FifoInTheFilesPlaceIsAnErrorNotAHang) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "GTask.lis").c_str(), 0600), 0);
  TaskList list(dir.Path());
  EXPECT_THROW(list.LoadTaskList(), FileError);
}

TEST(TaskList, RecordsRoundTripThroughTheFile) {
  TempDir dir;
  TaskList list(dir.Path());
  list.LoadTaskList();
  TaskRecord a = SampleTask("a");
  TaskRecord b = SampleTask("b");
  b.DownloadUrlFilter = "jpg";
  list.AppendTaskRecord(a);
  list.AppendTaskRecord(b);
  list.SaveTaskList();

  std::string bytes = ReadFileBytes(dir / "GTask.lis");
  EXPECT_EQ(bytes.substr(0, 20), "a\r\nhttp://a.b/c/\r\n\r\n");
  EXPECT_NE(bytes.find("\r\n-10\r\n"), std::string::npos) << "sign kept";

  TaskList again(dir.Path());
  again.LoadTaskList();
  ASSERT_EQ(again.TaskCount(), 2);
  EXPECT_EQ(again.ReadTaskRecord(0), a);
  EXPECT_EQ(again.ReadTaskRecord(1), b);
  EXPECT_EQ(again.ReadTaskRecord(0).SearchUrlFilter, "") << "empty filters stay empty fields";
  EXPECT_EQ(again.TaskName(1), "b");
}

TEST(TaskList, LfOnlyUnterminatedAndPartialBlocksReadTheWholeBlocks) {
  TempDir dir;
  std::string twoTasks = BlockBytes(SampleTask("a")) + BlockBytes(SampleTask("b"));
  twoTasks.pop_back();  // no line end after the last line
  WriteFileBytes(dir / "GTask.lis", twoTasks + "\nhalf\nblock\n");
  TaskList list(dir.Path());
  list.LoadTaskList();
  ASSERT_EQ(list.TaskCount(), 2);
  EXPECT_EQ(list.ReadTaskRecord(1), SampleTask("b"));
  EXPECT_EQ(list.Lines().size(), 42u) << "the partial block is dropped";

  list.AppendTaskRecord(SampleTask("c"));
  EXPECT_EQ(list.TaskName(2), "c") << "a new task lines up with its tree node";
}

TEST(TaskList, ConversionFailureLeavesTheCurrentRecordAsItWas) {
  TempDir dir;
  std::string bytes = BlockBytes(SampleTask("bad"));
  bytes.replace(bytes.find("\n300\n"), 5, "\n3OO\n");
  WriteFileBytes(dir / "GTask.lis", bytes);
  TaskList list(dir.Path());
  list.LoadTaskList();

  TaskRecord current = SampleTask("current");
  TaskRecord before = current;
  EXPECT_THROW(current = list.ReadTaskRecord(0), InputError);
  EXPECT_EQ(current, before);
}

// Five tasks a to e, then edited by hand as users and other programs do.
TEST(TaskList, AHandEditedListIsRefusedBlockByBlockAndNeverSavedOver) {
  std::string fiveTasks;
  for (const char* name : {"a", "b", "c", "d", "e"}) fiveTasks += BlockBytes(SampleTask(name));
  const auto lineStart = [&](int block, int line) {
    size_t at = 0;
    for (int i = 0; i < 21 * block + line; ++i) at = fiveTasks.find('\n', at) + 1;
    return at;
  };
  const auto replaceLine = [&](int block, int line, const std::string& text) {
    const size_t start = lineStart(block, line);
    return std::string(fiveTasks).replace(start, fiveTasks.find('\n', start) - start, text);
  };
  struct Row {
    const char* Edit;
    std::string Bytes;
    std::vector<int> Refused;  // task indexes; 5 is the partial block after the last
    const char* Named;         // in the message
  };
  const Row rows[] = {
      {"partial block", fiveTasks + "half\nblock\n", {5}, "task 6 (lines 106 to 107)"},
      {"10 lines inserted after block 1",
       std::string(fiveTasks).insert(lineStart(1, 0), "x\n0\n\n\n\n\n\n\n\n\n"),
       {1, 2, 3, 4, 5},
       "task 2 (lines 22 to 42): line 26 is not a whole number"},
      // Every block reads back: numbers land on numbers and the next task's name in FolderName.
      {"2 empty lines lost in block 1",
       std::string(fiveTasks).erase(lineStart(1, 14), 2),  // its two empty filters
       {1, 2, 3, 4},
       "task 2 (lines 22 to 42): line 41 is not the last part of the folder in line 25"},
      {"non-number field", replaceLine(2, 4, "nine"), {2}, "task 3 (lines 43 to 63)"},
      {"folder name ..", replaceLine(3, 19, "../../../.."), {3}, "line 83 is not a folder name"},
      {"over-long line",
       replaceLine(1, 0, std::string(kLongestTaskLine + 1, 'n')),
       {1},
       "line 22 is longer than"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Edit);
    TempDir dir;
    WriteFileBytes(dir / "GTask.lis", row.Bytes);
    TaskList list(dir.Path());
    list.LoadTaskList();
    std::vector<int> refused;
    for (const UnreadableBlock& block : list.UnreadableBlocks()) refused.push_back(block.Block);
    EXPECT_EQ(refused, row.Refused);
    const std::string message = UnreadableBlocksMessage(list.FilePath(), list.UnreadableBlocks());
    EXPECT_NE(message.find(row.Named), std::string::npos) << message;
    EXPECT_FALSE(list.Loaded());
    for (int i = 0; i < list.TaskCount(); ++i) {
      if (list.Readable(i)) {
        EXPECT_EQ(list.ReadTaskRecord(i), SampleTask(std::string(1, static_cast<char>('a' + i))));
      } else {
        EXPECT_THROW(list.ReadTaskRecord(i), InputError);
      }
    }
    if (list.Readable(0)) {
      EXPECT_THROW(list.WriteTaskRecord(0, SampleTask("z")), FileError);
    }
    EXPECT_THROW(list.RemoveTaskRecord(list.TaskCount() - 1), FileError);
    EXPECT_THROW(list.SaveTaskList(), FileError);
    EXPECT_EQ(ReadFileBytes(dir / "GTask.lis"), row.Bytes);
    EXPECT_FALSE(std::filesystem::exists(dir / "GTask.lis~"));
  }
}

TEST(TaskList, EverySaveFirstKeepsThePreviousListBesideIt) {
  TempDir outside;
  TempDir dir;
  const std::string typed = BlockBytes(SampleTask("a"));  // LF line ends, as an editor saves
  WriteFileBytes(dir / "GTask.lis", typed);
  WriteFileBytes(outside / "victim", "untouched");
  std::filesystem::create_symlink(outside / "victim", dir / "GTask.lis~");
  TaskList list(dir.Path());
  list.LoadTaskList();
  list.AppendTaskRecord(SampleTask("b"));
  list.SaveTaskList();
  EXPECT_EQ(ReadFileBytes(dir / "GTask.lis~"), typed) << "byte for byte";
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "GTask.lis~"));
  EXPECT_EQ(ReadFileBytes(outside / "victim"), "untouched") << "the link was not followed";

  const std::string saved = ReadFileBytes(dir / "GTask.lis");
  list.RemoveTaskRecord(0);
  list.SaveTaskList();
  EXPECT_EQ(ReadFileBytes(dir / "GTask.lis~"), saved);
}

TEST(TaskList, WriteRemoveAndIndexChecks) {
  TempDir dir;
  TaskList list(dir.Path());
  list.LoadTaskList();
  for (const char* name : {"a", "b", "c"}) list.AppendTaskRecord(SampleTask(name));
  TaskRecord changed = SampleTask("B2");
  list.WriteTaskRecord(1, changed);
  list.RemoveTaskRecord(0);
  EXPECT_EQ(list.TaskCount(), 2);
  EXPECT_EQ(list.TaskName(0), "B2");
  EXPECT_EQ(list.TaskName(1), "c");
  EXPECT_THROW(list.ReadTaskRecord(2), InputError);
  EXPECT_THROW(list.WriteTaskRecord(-1, changed), InputError);

  TaskList again(dir.Path());
  again.LoadTaskList();
  EXPECT_EQ(again.TaskCount(), 3) << "WriteTaskRecord saved; RemoveTaskRecord leaves saving";
}

TEST(TaskList, LineBreakInAFieldDoesNotShiftTheFile) {
  TempDir dir;
  TaskList list(dir.Path());
  list.LoadTaskList();
  TaskRecord pasted = SampleTask("a");
  pasted.StartUrl = "http://x/\r\nmore";
  list.AppendTaskRecord(pasted);
  list.AppendTaskRecord(SampleTask("b"));
  list.SaveTaskList();
  TaskList again(dir.Path());
  again.LoadTaskList();
  ASSERT_EQ(again.TaskCount(), 2);
  EXPECT_EQ(again.ReadTaskRecord(0).StartUrl, "http://x/  more");
  EXPECT_EQ(again.ReadTaskRecord(1), SampleTask("b"));
}

TEST(TaskList, ReadOnlyFileMakesTheSaveFailButKeepsTheLines) {
  TempDir dir;
  TaskList list(dir.Path());
  list.LoadTaskList();
  ::chmod((dir / "GTask.lis").c_str(), 0444);
  list.AppendTaskRecord(SampleTask("a"));
  EXPECT_THROW(list.SaveTaskList(), FileError);
  EXPECT_EQ(list.TaskCount(), 1);
  EXPECT_EQ(ReadFileBytes(dir / "GTask.lis"), "");
}

TEST(TaskList, AListThatFailedToLoadIsNeverSavedOver) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "GTask.lis").c_str(), 0600), 0);
  TaskList list(dir.Path());
  EXPECT_THROW(list.LoadTaskList(), FileError);
  EXPECT_FALSE(list.Loaded());
  list.AppendTaskRecord(SampleTask("a"));
  EXPECT_THROW(list.SaveTaskList(), FileError);
  struct stat st {};
  ASSERT_EQ(::lstat((dir / "GTask.lis").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the file that could not be read is still there";
}

TEST(TaskList, LoadAndSaveRemoveWhatKilledSavesLeft) {
  TempDir dir;
  WriteFileBytes(dir / ".GTask.lis.Ab3dE9", "half a list");
  WriteFileBytes(dir / ".GTask.lis.keep", "not a temporary");
  TaskList list(dir.Path());
  list.LoadTaskList();
  EXPECT_FALSE(std::filesystem::exists(dir / ".GTask.lis.Ab3dE9"));
  WriteFileBytes(dir / ".GTask.lis.x1y2z3", "half a list");
  list.SaveTaskList();
  EXPECT_FALSE(std::filesystem::exists(dir / ".GTask.lis.x1y2z3"));
  EXPECT_TRUE(std::filesystem::exists(dir / ".GTask.lis.keep"));
}

class NewTaskFolderNameTest : public testing::Test {
 protected:
  std::string FolderFor(const std::string& name, const std::string& address = "http://h.test/") {
    return NewTaskFolderName(mDown.Path(), mProgram.Path(), name, address);
  }

  TempDir mDown;
  TempDir mProgram;
};

TEST_F(NewTaskFolderNameTest, CountsUpPastTakenFolders) {
  EXPECT_EQ(FolderFor("pets"), "pets");
  std::filesystem::create_directory(mDown / "pets");
  EXPECT_EQ(FolderFor("pets"), "(1)pets");
  std::filesystem::create_directory(mDown / "(1)pets");
  EXPECT_EQ(FolderFor("pets"), "(2)pets");
  WriteFileBytes(mDown / "(2)pets", "a file does not count");
  EXPECT_EQ(FolderFor("pets"), "(2)pets");
}

TEST_F(NewTaskFolderNameTest, AnOlderTasksStateFolderIsTakenToo) {
  // The download folder has changed (or does not exist yet): only the state folders remain.
  std::filesystem::remove(mDown.Path());
  std::filesystem::create_directories(mProgram / "task" / "pets");
  EXPECT_EQ(FolderFor("pets"), "(1)pets");
  WriteFileBytes(mProgram / "task" / "(1)pets", "anything of the name counts here");
  EXPECT_EQ(FolderFor("pets"), "(2)pets");
}

TEST_F(NewTaskFolderNameTest, IsAlwaysOnePlainFolder) {
  struct Row {
    const char* Name;
    const char* Address;
    const char* Folder;
  };
  const Row rows[] = {
      {"..", "http://host/page?contact=me@..", "host"},  // Quick Start's site name
      {"", "http://", "Task"},
      {"", "file:///usr/share/pixmaps/", "Task"},
      {"   ", "http://u@pics.test:81/x", "pics.test:81"},
      {".", "http://../x", "Task"},  // the host is no folder either
      {"...", "http://h.test/", "h.test"},
      {"../a/b", "http://h.test/", "..-a-b"},
      {" cats ", "http://h.test/", "cats"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("'") + row.Name + "' " + row.Address);
    EXPECT_EQ(FolderFor(row.Name, row.Address), row.Folder);
  }
}

TEST_F(NewTaskFolderNameTest, RefusesWhenAllNamesAreTaken) {
  std::filesystem::create_directory(mDown / "p");
  for (int n = 1; n <= 999; ++n) {
    std::filesystem::create_directory(mDown / ("(" + std::to_string(n) + ")p"));
  }
  try {
    FolderFor("p");
    FAIL() << "expected a refusal";
  } catch (const InputError& e) {
    EXPECT_NE(std::string(e.what()).find("(999)p"), std::string::npos) << e.what();
  }
}

TEST(AssignNewTaskFolder, ABlankNameFallsBackToTheHostThenTask) {
  TempDir down;
  TempDir program;
  TaskRecord r;
  r.Name = "  ";
  r.StartUrl = "http://pics.example.org/a/";
  AssignNewTaskFolder(r, down.Path().string(), program.Path());
  EXPECT_EQ(r.Name, "pics.example.org");
  EXPECT_EQ(r.FolderName, "pics.example.org");
  r.Name = "";
  r.StartUrl = "file:///usr/share/pixmaps/";
  AssignNewTaskFolder(r, down.Path().string(), program.Path());
  EXPECT_EQ(r.Name, "Task");
  EXPECT_EQ(r.TaskFolder, (down / "Task").string());
}

}  // namespace
}  // namespace vexilo
