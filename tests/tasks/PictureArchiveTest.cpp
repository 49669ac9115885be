#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "core/Errors.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"
#include "tasks/PictureArchive.h"

namespace vexilo {
namespace {

using namespace std::chrono_literals;
using test::FakeWallClock;
using test::TempDir;

std::unique_ptr<PictureArchive> OpenQuietly(const TempDir& folder, const WallClock& clock) {
  std::string notice;
  auto archive = PictureArchive::Open(folder.Path(), clock, notice);
  EXPECT_EQ(notice, "");
  return archive;
}

TEST(PictureArchiveTest, RemembersAPictureThroughItsLifeAndAcrossOpenings) {
  TempDir folder;
  FakeWallClock clock;
  const auto start = clock.Now();
  {
    auto archive = OpenQuietly(folder, clock);
    EXPECT_FALSE(archive->HasTask("t1"));
    archive->MarkTaskEntered("t1");
    archive->Queued("t1", "http://a/1.jpg", "/p/t1/1.jpg");
    clock.Advance(1h);
    // Queued again by a later crawl: the first sighting stays.
    archive->Queued("t1", "http://a/1.jpg", "/p/t1/1.jpg");
    archive->Fetched("t1", "http://a/1.jpg", {0xfedcba9876543210u, 1234, 640, 480});
    clock.Advance(1h);
    archive->RemovedByUser("t1", "http://a/1.jpg");
    archive->Queued("t1", "http://a/2.jpg", "/p/t1/2.jpg");
  }
  auto archive = OpenQuietly(folder, clock);
  EXPECT_TRUE(archive->HasTask("t1"));
  EXPECT_FALSE(archive->HasTask("t2"));
  const auto pictures = archive->TaskPictures("t1");
  ASSERT_EQ(pictures.size(), 2u);
  const ArchivedPicture& fetched = pictures[0];
  EXPECT_EQ(fetched.SavePath, "/p/t1/1.jpg");
  EXPECT_EQ(fetched.ContentHash, 0xfedcba9876543210u);  // all 64 bits, sign bit included
  EXPECT_EQ(fetched.Bytes, 1234);
  EXPECT_EQ(fetched.Width, 640);
  EXPECT_EQ(fetched.Height, 480);
  EXPECT_EQ(fetched.FirstSeen, start);
  EXPECT_EQ(fetched.Fetched, start + 1h);
  EXPECT_EQ(fetched.RemovedByUser, start + 2h);
  const ArchivedPicture& waiting = pictures[1];
  EXPECT_EQ(waiting.FirstSeen, start + 2h);
  EXPECT_EQ(waiting.Fetched, std::nullopt);
  EXPECT_EQ(waiting.RemovedByUser, std::nullopt);
  EXPECT_EQ(waiting.ContentHash, std::nullopt);

  // Fetched again on the user's word: no longer counted as removed.
  archive->Fetched("t1", "http://a/1.jpg", {1, 1, 1, 1});
  EXPECT_EQ(archive->TaskPictures("t1")[0].RemovedByUser, std::nullopt);
  archive->Queued("t1", "http://a/3.jpg", "/p/t1/3.jpg");
  archive->Fetched("t1", "http://a/3.jpg", {3, 1, 1, 1});
  archive->RemovedByUser("t1", "http://a/3.jpg");
  // Another task has what t1 fetched and did not delete.
  const KnownPictures others = archive->OtherTasksPictures("t2");
  EXPECT_EQ(others.Urls, std::unordered_set<std::string>{"http://a/1.jpg"});
  EXPECT_EQ(others.Contents, std::unordered_set<std::uint64_t>{1});
  EXPECT_TRUE(archive->OtherTasksPictures("t1").Urls.empty());
  archive->ForgetTask("t1");
  EXPECT_FALSE(archive->HasTask("t1"));
  EXPECT_TRUE(archive->TaskPictures("t1").empty());
}

TEST(PictureArchiveTest, AFailedWriteOfSeveralLeavesNoneOfThem) {
  TempDir folder;
  FakeWallClock clock;
  auto archive = OpenQuietly(folder, clock);
  EXPECT_THROW(archive->InOneWrite([&] {
    archive->Queued("t1", "http://a/1.jpg", "/p/1.jpg");
    throw FileError("cut short");
  }),
               FileError);
  EXPECT_TRUE(archive->TaskPictures("t1").empty());
}

// A damaged archive is set aside with its journal and a fresh one takes its place.
TEST(PictureArchiveTest, ADamagedArchiveIsSetAsideAndANewOneStarted) {
  struct Damage {
    const char* Name;
    void (*Apply)(const std::filesystem::path& file);
  };
  const Damage damages[] = {
      {"not a database at all",
       [](const std::filesystem::path& file) {
         test::WriteFileBytes(file, std::string(8192, 'x'));
       }},
      {"pages overwritten after the header",
       [](const std::filesystem::path& file) {
         std::string bytes = test::ReadFileBytes(file);
         ASSERT_GT(bytes.size(), 4096u);
         for (std::size_t i = 100; i < bytes.size(); i += 7) bytes[i] = '\x5a';
         test::WriteFileBytes(file, bytes);
       }},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.Name);
    TempDir folder;
    FakeWallClock clock;
    const auto file = folder / PictureArchive::kFileName;
    {
      auto archive = OpenQuietly(folder, clock);
      archive->InOneWrite([&] {
        for (int i = 0; i < 200; ++i) {
          archive->Queued("t1", "http://a/" + std::to_string(i), "/p/" + std::to_string(i));
        }
      });
    }
    damage.Apply(file);
    const std::string damaged = test::ReadFileBytes(file);
    std::string notice;
    auto archive = PictureArchive::Open(folder.Path(), clock, notice);
    ASSERT_NE(archive, nullptr);
    EXPECT_NE(notice.find("damaged"), std::string::npos) << notice;
    EXPECT_NE(notice.find(file.string() + ".corrupt"), std::string::npos) << notice;
    EXPECT_EQ(test::ReadFileBytes(file.string() + ".corrupt"), damaged);
    EXPECT_TRUE(archive->TaskPictures("t1").empty());
    archive->Queued("t1", "http://a/new", "/p/new");
    EXPECT_EQ(archive->TaskPictures("t1").size(), 1u);
    archive.reset();
    // A second damage does not overwrite the first one set aside.
    test::WriteFileBytes(file, "garbage, and more than a header of it" + std::string(200, '!'));
    archive = PictureArchive::Open(folder.Path(), clock, notice);
    EXPECT_NE(notice.find(file.string() + ".corrupt-2"), std::string::npos) << notice;
    EXPECT_EQ(test::ReadFileBytes(file.string() + ".corrupt"), damaged);
  }
}

TEST(PictureArchiveTest, AFolderThatCannotHoldTheArchiveIsAnErrorNotACrash) {
  TempDir folder;
  FakeWallClock clock;
  std::string notice;
  EXPECT_THROW(PictureArchive::Open(folder / "missing", clock, notice), FileError);
}

// A run killed in the middle of its writes keeps every write it finished, and the archive
// opens sound.
TEST(PictureArchiveTest, SurvivesAWriterKilledMidWrite) {
  TempDir folder;
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    close(ready[0]);
    FakeWallClock clock;
    std::string notice;
    auto archive = PictureArchive::Open(folder.Path(), clock, notice);
    for (int i = 0;; ++i) {
      archive->InOneWrite([&] {
        for (int j = 0; j < 20; ++j) {
          const std::string url = "http://a/" + std::to_string(i) + "/" + std::to_string(j);
          archive->Queued("t1", url, "/p/x");
          archive->Fetched("t1", url, {static_cast<std::uint64_t>(i), i, i, j});
        }
      });
      // Tells the parent how many writes have been finished.
      if (write(ready[1], &i, sizeof i) != sizeof i) _exit(1);
    }
  }
  close(ready[1]);
  int finished = -1;
  while (finished < 50 && read(ready[0], &finished, sizeof finished) == sizeof finished) {
  }
  kill(writer, SIGKILL);
  int status = 0;
  waitpid(writer, &status, 0);
  close(ready[0]);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_GE(finished, 50);

  FakeWallClock clock;
  auto archive = OpenQuietly(folder, clock);
  const auto pictures = archive->TaskPictures("t1");
  // Every finished write is there whole, and at most the one it was killed in besides.
  EXPECT_GE(pictures.size(), static_cast<std::size_t>(finished + 1) * 20);
  EXPECT_EQ(pictures.size() % 20, 0u);
  for (const ArchivedPicture& picture : pictures) ASSERT_TRUE(picture.Fetched) << picture.Url;
}

}  // namespace
}  // namespace vexilo
