#include <gtest/gtest.h>

#include <string>

#include "core/ContentHash.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"
#include "tasks/NewPictureCheck.h"

namespace vexilo {
namespace {

using test::TempDir;

// A task saved by an earlier Vexilo: one picture fetched and there, one fetched and deleted
// since, one failed and one still waiting.
struct SavedTask {
  TempDir Folder;
  test::FakeWallClock Clock;
  std::string Notice;
  std::unique_ptr<PictureArchive> Archive = PictureArchive::Open(Folder.Path(), Clock, Notice);
  std::string Kept = (Folder / "kept.gif").string();
  std::string Gone = (Folder / "gone.gif").string();
  CrawlState State;
  FileThere IsThere = [](const std::string& path) { return std::filesystem::exists(path); };

  SavedTask() {
    test::WriteFileBytes(Kept, std::string("GIF89a\x02\x00\x03\x00 and more", 19));
    State.Queue = {{"http://a/kept.gif", Kept},
                   {"http://a/gone.gif", Gone},
                   {"http://a/failed.gif", (Folder / "failed.gif").string()},
                   {"http://a/waiting.gif", (Folder / "waiting.gif").string()}};
    State.DispatchedCount = 3;
    State.Failed = {{"http://a/failed.gif", (Folder / "failed.gif").string(), "404 Not Found"}};
    State.WantUrls = {"http://a/page2"};
    State.CrawlLevel = 2;
    State.CrawlIndex = 5;
  }
};

TEST(NewPictureCheckTest, ATaskIsEnteredOnceFromItsSavedStateAndItsDeletionsFound) {
  SavedTask saved;
  PictureArchive& archive = *saved.Archive;
  EnterTaskOnce(archive, "t1", saved.State, saved.IsThere);
  auto pictures = archive.TaskPictures("t1");
  ASSERT_EQ(pictures.size(), 4u);
  EXPECT_EQ(pictures[0].ContentHash, ContentHashOf(saved.Kept));
  EXPECT_EQ(pictures[0].Bytes, 19);
  EXPECT_EQ(pictures[0].Width, 2);
  EXPECT_EQ(pictures[0].Height, 3);
  EXPECT_TRUE(pictures[0].Fetched);
  EXPECT_FALSE(pictures[0].RemovedByUser);
  EXPECT_TRUE(pictures[1].RemovedByUser);  // handed out, and its file is gone
  for (int i : {2, 3}) {
    EXPECT_FALSE(pictures[i].Fetched) << i;
    EXPECT_FALSE(pictures[i].RemovedByUser) << i;
  }

  // Entered once: a later state does not enter it again.
  std::filesystem::remove(saved.Kept);
  EnterTaskOnce(archive, "t1", CrawlState{}, saved.IsThere);
  EXPECT_EQ(archive.TaskPictures("t1").size(), 4u);
  const auto deleted = DeletedPictures(archive, "t1", saved.IsThere);
  ASSERT_EQ(deleted.size(), 2u);
  EXPECT_EQ(deleted[0].Url, "http://a/kept.gif");
  EXPECT_EQ(deleted[1].Url, "http://a/gone.gif");
  EXPECT_TRUE(archive.TaskPictures("t1")[0].RemovedByUser);

  const KnownPictures leftAlone = KnownPicturesOf(archive.TaskPictures("t1"), deleted, false);
  EXPECT_EQ(leftAlone.Urls.size(), 4u);
  EXPECT_EQ(leftAlone.Contents.size(), 1u);
  const KnownPictures fetchedAgain = KnownPicturesOf(archive.TaskPictures("t1"), deleted, true);
  EXPECT_EQ(fetchedAgain.Urls,
            (std::unordered_set<std::string>{"http://a/failed.gif", "http://a/waiting.gif"}));
  EXPECT_TRUE(fetchedAgain.Contents.empty());
}

TEST(NewPictureCheckTest, TheSavedStateBecomesACrawlFromTheStartThatKeepsItsQueue) {
  for (const bool fetchDeleted : {false, true}) {
    SCOPED_TRACE(fetchDeleted);
    SavedTask saved;
    CrawlState state = saved.State;
    // Deleted earlier and told so by the check before.
    state.Removed = {{"http://a/gone.gif", saved.Gone, kDeletedByUserReason}};
    const std::vector<ArchivedPicture> deleted = {{.Url = "http://a/gone.gif"},
                                                  {.Url = "http://a/waiting.gif"}};
    MakeCheckStart(state, "http://a/", deleted, fetchDeleted);
    EXPECT_EQ(state.WantUrls, std::vector<std::string>{"http://a/"});
    EXPECT_EQ(state.VisitedUrls, std::vector<std::string>{"http://a/"});
    EXPECT_TRUE(state.TempUrls.empty());
    EXPECT_EQ(state.CrawlLevel, 1);
    EXPECT_EQ(state.CrawlIndex, 1);
    EXPECT_EQ(state.Queue, saved.State.Queue);
    EXPECT_EQ(state.DispatchedCount, 3);
    EXPECT_TRUE(state.Failed.empty());
    // A waiting picture is fetched in its turn, whatever the archive says.
    std::vector<QueuedPicture> again = {{"http://a/failed.gif", saved.State.Queue[2].SavePath}};
    std::vector<FailedPicture> removed;
    if (fetchDeleted) {
      again.push_back(saved.State.Queue[1]);
    } else {
      removed.push_back({"http://a/gone.gif", saved.Gone, kDeletedByUserReason});
    }
    EXPECT_EQ(state.CutOff, again);
    EXPECT_EQ(state.Removed, removed);
  }
}

}  // namespace
}  // namespace vexilo
