#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/TempDir.h"
#include "tasks/FolderDeletion.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFileBytes;

enum class LockKind { Posix, Flock };

// Another process holding a lock on a file until the object goes.
class LockingProcess {
 public:
  LockingProcess(const fs::path& file, LockKind kind) {
    int ready[2];
    if (::pipe(ready) != 0) throw std::runtime_error("pipe failed");
    mChild = ::fork();
    if (mChild == 0) {
      ::close(ready[0]);
      int fd = ::open(file.c_str(), O_RDWR);
      struct flock lock {};
      lock.l_type = F_WRLCK;
      lock.l_whence = SEEK_SET;
      bool locked = fd >= 0 && (kind == LockKind::Posix ? ::fcntl(fd, F_SETLK, &lock) == 0
                                                        : ::flock(fd, LOCK_EX | LOCK_NB) == 0);
      char answer = locked ? 'y' : 'n';
      if (::write(ready[1], &answer, 1) != 1) ::_exit(1);
      ::pause();  // until the test ends it
      ::_exit(0);
    }
    ::close(ready[1]);
    char answer = 'n';
    bool heard = ::read(ready[0], &answer, 1) == 1;
    ::close(ready[0]);
    if (!heard || answer != 'y') throw std::runtime_error("the child could not lock");
  }
  ~LockingProcess() {
    ::kill(mChild, SIGKILL);
    ::waitpid(mChild, nullptr, 0);
  }
  LockingProcess(const LockingProcess&) = delete;
  LockingProcess& operator=(const LockingProcess&) = delete;

 private:
  pid_t mChild = -1;
};

class FolderDeletionTest : public testing::Test {
 protected:
  FolderDeletionTest() {
    fs::create_directories(mDown);
    mKeep = ProtectedFolders::For(mProgram.Path(), mDown.string());
  }

  TempDir mProgram;
  TempDir mOutside;
  fs::path mDown = mProgram / "pictures";
  ProtectedFolders mKeep;
};

TEST_F(FolderDeletionTest, DeletesFilesAndSubFoldersButNotHiddenFolders) {
  fs::path task = mDown / "cats";
  fs::create_directories(task / "deep" / "deeper");
  fs::create_directories(task / ".hidden");
  WriteFileBytes(task / "a.jpg", "a");
  WriteFileBytes(task / ".b.jpg", "b");
  WriteFileBytes(task / "deep" / "deeper" / "c.jpg", "c");
  WriteFileBytes(task / ".hidden" / "d.jpg", "d");

  EXPECT_TRUE(DeleteFolderContents("  " + task.string() + "/ ", mKeep));
  EXPECT_FALSE(fs::exists(task / "a.jpg"));
  EXPECT_FALSE(fs::exists(task / ".b.jpg"));
  EXPECT_FALSE(fs::exists(task / "deep"));
  EXPECT_TRUE(fs::exists(task / ".hidden" / "d.jpg"));

  DeleteFolder(task.string(), mKeep);
  EXPECT_TRUE(fs::exists(task)) << "its hidden folder keeps it";
}

TEST_F(FolderDeletionTest, ALockedFileAndItsFolderSurviveWhileTheRestGoes) {
  for (LockKind kind : {LockKind::Posix, LockKind::Flock}) {
    SCOPED_TRACE(kind == LockKind::Posix ? "fcntl lock" : "flock");
    fs::path task = mDown / "cats";
    fs::create_directories(task / "sub");
    WriteFileBytes(task / "free.jpg", "f");
    WriteFileBytes(task / "sub" / "held.jpg", "h");
    {
      LockingProcess other(task / "sub" / "held.jpg", kind);
      EXPECT_TRUE(FileInUse(task / "sub" / "held.jpg"));
      EXPECT_FALSE(DeleteFolderContents(task.string(), mKeep)) << "sub cannot be removed";
      DeleteFolder(task.string(), mKeep);
      EXPECT_TRUE(fs::exists(task / "sub" / "held.jpg"));
    }
    EXPECT_FALSE(FileInUse(task / "sub" / "held.jpg"));
    DeleteFolder(task.string(), mKeep);
    EXPECT_FALSE(fs::exists(task));
  }
}

TEST_F(FolderDeletionTest, FileInUseTellsFreeFilesFromHeldOnes) {
  WriteFileBytes(mDown / "free.jpg", "f");
  WriteFileBytes(mDown / "readonly.jpg", "r");
  ::chmod((mDown / "readonly.jpg").c_str(), 0444);
  fs::create_symlink(mDown / "free.jpg", mDown / "link.jpg");
  EXPECT_FALSE(FileInUse(mDown / "free.jpg"));
  EXPECT_FALSE(FileInUse(mDown / "missing.jpg"));
  EXPECT_FALSE(FileInUse(mDown));
  EXPECT_TRUE(FileInUse(mDown / "readonly.jpg"));
  EXPECT_TRUE(FileInUse(mDown / "link.jpg")) << "a link is not opened through";
}

TEST_F(FolderDeletionTest, ALinkIsRemovedButWhatItPointsToIsUntouched) {
  fs::path task = mDown / "cats";
  fs::create_directories(task);
  fs::create_directories(mOutside / "album");
  WriteFileBytes(mOutside / "album" / "x.jpg", "x");
  WriteFileBytes(mOutside / "y.jpg", "y");
  fs::create_directory_symlink(mOutside / "album", task / "album");
  fs::create_symlink(mOutside / "y.jpg", task / "y.jpg");
  fs::create_directory_symlink(mOutside / "album", mDown / "linked-task");

  DeleteFolder(task.string(), mKeep);
  EXPECT_FALSE(fs::exists(task));
  EXPECT_TRUE(fs::exists(mOutside / "album" / "x.jpg"));
  EXPECT_TRUE(fs::exists(mOutside / "y.jpg"));

  EXPECT_FALSE(DeleteFolderContents((mDown / "linked-task").string(), mKeep));
  DeleteFolder((mDown / "linked-task").string(), mKeep);
  EXPECT_TRUE(fs::exists(mOutside / "album" / "x.jpg"));
}

TEST_F(FolderDeletionTest, RefusesTheRootTheHomeAndFoldersHoldingProtectedOnes) {
  const char* home = std::getenv("HOME");
  const std::string refused[] = {"/", "/.", home != nullptr ? home : "/",
                                 mProgram.Path().parent_path().string(), "//"};
  for (const std::string& path : refused) {
    SCOPED_TRACE("'" + path + "'");
    EXPECT_FALSE(DeletionAllowed(path, mKeep));
  }
  fs::create_directories(mProgram / "task");
  EXPECT_TRUE(DeletionAllowed((mDown / "cats").string(), mKeep));
  EXPECT_TRUE(DeletionAllowed((mProgram / "task" / "cats").string(), mKeep));
}

TEST_F(FolderDeletionTest, LeavesRefusedFoldersAsTheyAre) {
  WriteFileBytes(mDown / "keep.jpg", "k");
  fs::create_directories(mProgram / "task" / "cats");
  WriteFileBytes(mProgram / "task" / "cats" / "counti.dat", "1");
  const std::string refused[] = {
      "",
      "   ",
      "pictures",
      mProgram.Path().string(),
      (mProgram / "task").string(),
      (mProgram / "task").string() + "/",
      mDown.string(),
      mDown.string() + "/.",
      (mDown / "cats" / "..").string(),
  };
  for (const std::string& path : refused) {
    SCOPED_TRACE("'" + path + "'");
    EXPECT_FALSE(DeletionAllowed(path, mKeep));
    EXPECT_FALSE(DeleteFolderContents(path, mKeep));
    DeleteFolder(path, mKeep);
  }
  EXPECT_TRUE(fs::exists(mDown / "keep.jpg"));
  EXPECT_TRUE(fs::exists(mProgram / "task" / "cats" / "counti.dat"));
}

}  // namespace
}  // namespace vexilo
