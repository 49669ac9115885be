#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ostream>

#include "core/Errors.h"
#include "core/TaskStateFiles.h"
#include "support/FaultyFileLayer.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::FaultyFileLayer;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

CrawlState SampleState() {
  CrawlState s;
  s.WantUrls = {"http://a/1", "http://a/2"};
  s.TempUrls = {};
  s.VisitedUrls = {"http://a/", "http://a/1", "http://a/2"};
  s.Queue = {{"http://a/x.jpg", "/p/t/x.jpg"}, {"http://a/y.jpg", "/p/t/y.jpg"}};
  s.CrawlLevel = 2;
  s.CrawlIndex = 2;
  s.DispatchedCount = 1;
  s.CutOff = {{"http://a/x.jpg", "/p/t/x.jpg"}};
  s.Failed = {{"http://a/z.jpg", "/p/t/z.jpg", "404 Not Found"}};
  return s;
}

class TaskStateFilesTest : public testing::Test {
 protected:
  TempDir mDir;
  TaskStateFiles mFiles{mDir.Path()};
  std::filesystem::path Folder() const { return mDir / "task" / "t"; }
};

TEST_F(TaskStateFilesTest, RoundTripKeepsEmptyFieldsAndCreatesTheFolder) {
  std::vector<PictureEntry> rows = {{"x.jpg", "http://a/x.jpg", "", ""},
                                    {"y.jpg", "http://a/y.jpg", "640", "w=5"}};
  mFiles.SaveCrawlState("t", rows, SampleState());
  for (const char* f :
       {"listview.dat", "visitedurl.dat", "wanturls.dat", "tempurls.dat", "pictureurl.dat",
        "savedname.dat", "counti.dat", "cutoff.dat", "pages.dat", "failed.dat"}) {
    EXPECT_TRUE(std::filesystem::exists(Folder() / f)) << f;
  }
  EXPECT_EQ(ReadFileBytes(Folder() / "counti.dat"), "2\r\n2\r\n1\r\n");
  EXPECT_EQ(ReadFileBytes(Folder() / "tempurls.dat"), "");
  EXPECT_EQ(ReadFileBytes(Folder() / "listview.dat").substr(0, 29),
            "x.jpg\r\nhttp://a/x.jpg\r\n\r\n\r\ny.");

  std::vector<PictureEntry> loadedRows;
  CrawlState loaded;
  loaded.TempUrls = {"stale"};
  mFiles.LoadCrawlState("t", loadedRows, loaded);
  EXPECT_EQ(loadedRows, rows);
  EXPECT_EQ(loaded, SampleState());
}

TEST_F(TaskStateFilesTest, EachQueuedPictureKeepsItsPageInAFileOfItsOwn) {
  CrawlState saved = SampleState();
  saved.Queue[0].Page = "http://a/1";
  saved.Queue[1].Page = "http://a/2";
  saved.CutOff = {{"http://a/y.jpg", "/p/t/y.jpg"}, {"http://a/z.jpg", "/p/t/z.jpg"}};
  std::vector<PictureEntry> rows = {{"x.jpg", "http://a/x.jpg", "1", "2", "http://a/1"},
                                    {"y.jpg", "http://a/y.jpg", "3", "4", "http://a/2"}};
  mFiles.SaveCrawlState("t", rows, saved);
  EXPECT_EQ(ReadFileBytes(Folder() / "pages.dat"), "http://a/1\r\nhttp://a/2\r\n");
  // listview.dat keeps its four lines per row, cutoff.dat its two per picture.
  EXPECT_EQ(ReadFileBytes(Folder() / "listview.dat"),
            "x.jpg\r\nhttp://a/x.jpg\r\n1\r\n2\r\ny.jpg\r\nhttp://a/y.jpg\r\n3\r\n4\r\n");
  EXPECT_EQ(ReadFileBytes(Folder() / "cutoff.dat"),
            "http://a/y.jpg\r\n/p/t/y.jpg\r\nhttp://a/z.jpg\r\n/p/t/z.jpg\r\n");

  std::vector<PictureEntry> loadedRows;
  CrawlState loaded;
  mFiles.LoadCrawlState("t", loadedRows, loaded);
  EXPECT_EQ(loadedRows, rows);
  EXPECT_EQ(mFiles.ReadPictureRows("t"), rows);
  EXPECT_EQ(loaded.Queue, saved.Queue);
  // A cut-off download takes the page of its queue entry; one not queued has none.
  ASSERT_EQ(loaded.CutOff.size(), 2u);
  EXPECT_EQ(loaded.CutOff[0].Page, "http://a/2");
  EXPECT_EQ(loaded.CutOff[1].Page, "");

  // A task saved without pages loads as before; a short file gives pages to the first ones.
  WriteFileBytes(Folder() / "pages.dat", "http://a/1\r\n");
  mFiles.LoadCrawlState("t", loadedRows, loaded);
  EXPECT_EQ(loaded.Queue[0].Page, "http://a/1");
  EXPECT_EQ(loaded.Queue[1].Page, "");
  EXPECT_EQ(loadedRows[1].Page, "");
  std::filesystem::remove(Folder() / "pages.dat");
  CrawlState old;
  mFiles.LoadCrawlState("t", loadedRows, old);
  EXPECT_EQ(old.Queue, SampleState().Queue);
  EXPECT_EQ(loadedRows[0], (PictureEntry{"x.jpg", "http://a/x.jpg", "1", "2"}));
}

TEST_F(TaskStateFilesTest, MissingFilesKeepTheStartValues) {
  std::filesystem::create_directories(Folder());
  WriteFileBytes(Folder() / "pictureurl.dat", "http://a/x.jpg\r\n");
  CrawlState start;
  start.WantUrls = {"http://start/"};
  std::vector<PictureEntry> rows = {{"old", "", "", ""}};
  CrawlState s = start;
  mFiles.LoadCrawlState("t", rows, s);
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(s.WantUrls, start.WantUrls);
  EXPECT_EQ(s.Queue, (std::vector<QueuedPicture>{{"http://a/x.jpg", ""}}));
  EXPECT_TRUE(s.CutOff.empty());  // a task saved before cut-off downloads were kept
  EXPECT_TRUE(s.Failed.empty());  // or before failed ones were
  EXPECT_EQ(s.CrawlLevel, 1);
  EXPECT_EQ(s.DispatchedCount, 0);
}

TEST_F(TaskStateFilesTest, TheQueuePairsAddressesWithTheSavePathsThereAre) {
  std::filesystem::create_directories(Folder());
  WriteFileBytes(Folder() / "pictureurl.dat", "http://a/1.jpg\r\nhttp://a/2.jpg\r\n");
  WriteFileBytes(Folder() / "savedname.dat", "/p/1.jpg\r\n");
  WriteFileBytes(Folder() / "counti.dat", "1\r\n1\r\n7\r\n");
  std::vector<PictureEntry> rows;
  CrawlState s;
  mFiles.LoadCrawlState("t", rows, s);
  EXPECT_EQ(s.Queue,
            (std::vector<QueuedPicture>{{"http://a/1.jpg", "/p/1.jpg"}, {"http://a/2.jpg", ""}}));
  EXPECT_EQ(s.DispatchedCount, 2) << "never past the queue";

  WriteFileBytes(Folder() / "savedname.dat", "/p/1.jpg\r\n/p/2.jpg\r\n/p/stray.jpg\r\n");
  mFiles.LoadCrawlState("t", rows, s);
  EXPECT_EQ(s.Queue, (std::vector<QueuedPicture>{{"http://a/1.jpg", "/p/1.jpg"},
                                                 {"http://a/2.jpg", "/p/2.jpg"}}));
}

TEST_F(TaskStateFilesTest, ListViewRowsAreWholeGroupsOfFour) {
  std::filesystem::create_directories(Folder());
  WriteFileBytes(Folder() / "listview.dat", "a\nb\nc\nd\ne\nf\ng\nh\ni\n");
  EXPECT_EQ(mFiles.ReadPictureRows("t").size(), 2u);
  EXPECT_TRUE(mFiles.ReadPictureRows("missing").empty());
}

TEST_F(TaskStateFilesTest, CutOffDownloadsAreWholePairsAndSaveOnTheirOwn) {
  CrawlState s;
  s.CutOff = {{"http://a/1.jpg", "/p/t/1.jpg"}, {"http://a/2.jpg", ""}};
  mFiles.SaveCutOff("t", s);
  EXPECT_EQ(ReadFileBytes(Folder() / "cutoff.dat"),
            "http://a/1.jpg\r\n/p/t/1.jpg\r\nhttp://a/2.jpg\r\n\r\n");
  WriteFileBytes(Folder() / "cutoff.dat", "http://a/1.jpg\n/p/t/1.jpg\nhttp://a/3.jpg\n");
  std::vector<PictureEntry> rows;
  CrawlState loaded;
  mFiles.LoadCrawlState("t", rows, loaded);
  EXPECT_EQ(loaded.CutOff, (std::vector<QueuedPicture>{{"http://a/1.jpg", "/p/t/1.jpg"}}));
}

TEST_F(TaskStateFilesTest, FailedDownloadsAreWholeTriplesThatSaveAndGrowOnTheirOwn) {
  CrawlState s;
  s.Failed = {{"http://a/1.jpg", "/p/t/1.jpg", "404 Not Found"}};
  mFiles.SaveFailed("t", s);
  EXPECT_EQ(ReadFileBytes(Folder() / "failed.dat"),
            "http://a/1.jpg\r\n/p/t/1.jpg\r\n404 Not Found\r\n");
  mFiles.AppendFailed("t", {{"http://a/2.jpg", "/p/t/2.jpg", "timed out"}});
  EXPECT_EQ(mFiles.ReadFailed("t"),
            (std::vector<FailedPicture>{{"http://a/1.jpg", "/p/t/1.jpg", "404 Not Found"},
                                        {"http://a/2.jpg", "/p/t/2.jpg", "timed out"}}));

  WriteFileBytes(Folder() / "failed.dat", "http://a/1.jpg\n/p/t/1.jpg\nx\nhttp://a/3.jpg\n");
  std::vector<PictureEntry> rows;
  CrawlState loaded;
  mFiles.LoadCrawlState("t", rows, loaded);
  EXPECT_EQ(loaded.Failed, (std::vector<FailedPicture>{{"http://a/1.jpg", "/p/t/1.jpg", "x"}}));
  EXPECT_TRUE(mFiles.ReadFailed("missing").empty());
}

struct CounterCase {
  const char* bytes;
  std::int32_t level, index, dispatched;
};

void PrintTo(const CounterCase& c, std::ostream* os) { *os << testing::PrintToString(c.bytes); }

class BadCounters : public TaskStateFilesTest, public testing::WithParamInterface<CounterCase> {};

TEST_P(BadCounters, AreBroughtIntoRange) {
  CrawlState saved = SampleState();  // two pictures queued
  mFiles.SaveCrawlState("t", {}, saved);
  WriteFileBytes(Folder() / "counti.dat", GetParam().bytes);
  std::vector<PictureEntry> rows;
  CrawlState s;
  mFiles.LoadCrawlState("t", rows, s);
  EXPECT_EQ(s.CrawlLevel, GetParam().level);
  EXPECT_EQ(s.CrawlIndex, GetParam().index);
  EXPECT_EQ(s.DispatchedCount, GetParam().dispatched);
}

INSTANTIATE_TEST_SUITE_P(Counters, BadCounters,
                         testing::Values(CounterCase{"3\r\nx\r\n12\r\n", 1, 1, 0},  // not a number
                                         CounterCase{"3\r\n4\r\n", 1, 1, 0},  // a line missing
                                         CounterCase{"", 1, 1, 0},            // empty
                                         CounterCase{"3\n4\n2", 3, 4, 2},     // fine as it is
                                         CounterCase{"0\r\n-5\r\n1\r\n", 1, 1, 1},  // below 1
                                         CounterCase{"2\r\n1\r\n99\r\n", 2, 1,
                                                     2},  // past the queue
                                         CounterCase{"2\r\n1\r\n-3\r\n", 2, 1, 0}));

TEST_F(TaskStateFilesTest, SavesAndStartUpRemoveWhatKilledSavesLeft) {
  namespace fs = std::filesystem;
  fs::create_directories(Folder());
  WriteFileBytes(Folder() / ".counti.dat.k9Jd2Q", "2\r\n");
  WriteFileBytes(Folder() / ".GTask.lis.k9Jd2Q", "not a state file");
  mFiles.SaveCounters("t", SampleState());
  EXPECT_FALSE(fs::exists(Folder() / ".counti.dat.k9Jd2Q"));
  EXPECT_TRUE(fs::exists(Folder() / ".GTask.lis.k9Jd2Q"));

  WriteFileBytes(Folder() / ".listview.dat.a1B2c3", "x");
  mFiles.SaveCrawlState("t", {}, SampleState());
  EXPECT_FALSE(fs::exists(Folder() / ".listview.dat.a1B2c3"));

  // Start-up: every state folder, but not one reached through a link.
  TempDir outside;
  fs::create_directories(mDir / "task" / "u");
  WriteFileBytes(Folder() / ".savedname.dat.000000", "x");
  WriteFileBytes(mDir / "task" / "u" / ".wanturls.dat.zzzzzz", "x");
  WriteFileBytes(outside / ".wanturls.dat.zzzzzz", "x");
  fs::create_directory_symlink(outside.Path(), mDir / "task" / "linked");
  mFiles.RecoverKilledSaves();
  EXPECT_FALSE(fs::exists(Folder() / ".savedname.dat.000000"));
  EXPECT_FALSE(fs::exists(mDir / "task" / "u" / ".wanturls.dat.zzzzzz"));
  EXPECT_TRUE(fs::exists(outside / ".wanturls.dat.zzzzzz"));
  EXPECT_TRUE(fs::exists(Folder() / "counti.dat"));
}

TEST_F(TaskStateFilesTest, NeverWritesThroughALinkNorTakesOneForItsOwn) {
  namespace fs = std::filesystem;
  TempDir outside;
  WriteFileBytes(outside / "counti.dat", "old");
  fs::create_directories(mDir / "task");
  fs::create_directory_symlink(outside.Path(), Folder());
  EXPECT_THROW(mFiles.SaveCrawlState("t", {}, SampleState()), FileError);
  EXPECT_THROW(mFiles.SaveCounters("t", SampleState()), FileError);
  EXPECT_THROW(mFiles.SaveFailed("t", SampleState()), FileError);
  EXPECT_EQ(ReadFileBytes(outside / "counti.dat"), "old");
  EXPECT_TRUE(fs::is_symlink(Folder()));

  // Named like leftover sets of a task whose folder is missing, but a link and a file.
  fs::create_directory_symlink(outside.Path(), mDir / "task" / ".u.new.AbC123");
  WriteFileBytes(mDir / "task" / ".u.old.AbC123", "x");
  mFiles.RecoverKilledSaves();
  EXPECT_TRUE(mFiles.LeftoverSets("u").empty());
  EXPECT_FALSE(fs::exists(mDir / "task" / "u"));
  EXPECT_TRUE(fs::is_symlink(mDir / "task" / ".u.new.AbC123"));
  EXPECT_EQ(ReadFileBytes(mDir / "task" / ".u.old.AbC123"), "x");
  EXPECT_EQ(ReadFileBytes(outside / "counti.dat"), "old");
}

TEST_F(TaskStateFilesTest, ASaveKeepsPermissionsAndARefusedFileChangesNothing) {
  mFiles.SaveCrawlState("t", {}, SampleState());
  ::chmod(Folder().c_str(), 0700);
  ::chmod((Folder() / "listview.dat").c_str(), 0600);
  CrawlState b = SampleState();
  b.CrawlLevel = 5;
  mFiles.SaveCrawlState("t", {}, b);
  struct stat info {};
  ASSERT_EQ(::stat(Folder().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0700u);
  ASSERT_EQ(::stat((Folder() / "listview.dat").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);

  // As with one file: a read-only file is left alone, and so is the whole set.
  ::chmod((Folder() / "counti.dat").c_str(), 0444);
  EXPECT_THROW(mFiles.SaveCrawlState("t", {}, SampleState()), FileError);
  std::vector<PictureEntry> rows;
  CrawlState loaded;
  mFiles.LoadCrawlState("t", rows, loaded);
  EXPECT_EQ(loaded, b);
  EXPECT_TRUE(mFiles.LeftoverSets("t").empty());
}

TEST_F(TaskStateFilesTest, SaveCountersNeedsTheFolder) {
  EXPECT_ANY_THROW(mFiles.SaveCounters("nowhere", SampleState()));
}

// A save of set B over set A, interrupted at each of its steps in turn.
struct Interruption {
  bool exchangeRefused;  // a file system that cannot swap two folders
  bool firstSave;        // no set A: the state folder does not exist yet
};

void PrintTo(const Interruption& c, std::ostream* os) {
  *os << (c.exchangeRefused ? "two renames" : "exchange") << (c.firstSave ? ", first save" : "");
}

class InterruptedSave : public testing::TestWithParam<Interruption> {
 protected:
  struct Loaded {
    std::vector<PictureEntry> Rows;
    CrawlState State;
    bool operator==(const Loaded&) const = default;
  };

  static CrawlState SetB() {
    CrawlState b;
    b.VisitedUrls = {"http://b/"};
    for (int i = 0; i < 70; ++i) {
      b.Queue.push_back(
          {"http://b/" + std::to_string(i) + ".jpg", "/p/b/" + std::to_string(i), "http://b/"});
    }
    b.CrawlLevel = 3;
    b.Failed = {{"http://b/f.jpg", "/p/b/f", "timed out"}};
    return b;
  }

  // Set A and a file and a folder of the user's in the state folder, then B saved over it.
  void Prepare(const TempDir& dir) const {
    if (GetParam().firstSave) return;
    TaskStateFiles(dir.Path())
        .SaveCrawlState("t", {{"x.jpg", "http://a/x.jpg", "1", "2"}}, SampleState());
    WriteFileBytes(dir / "task" / "t" / "notes.txt", "mine");
    std::filesystem::create_directory(dir / "task" / "t" / "keep");
  }

  static Loaded Load(const TempDir& dir) {
    Loaded loaded;
    TaskStateFiles(dir.Path()).LoadCrawlState("t", loaded.Rows, loaded.State);
    return loaded;
  }

  // What a start-up then finds: exactly A or exactly B, the user's entries kept, and nothing
  // left beside the state folder.
  void ExpectWholeSet(const TempDir& dir, const Loaded& a, const Loaded& b) const {
    TaskStateFiles(dir.Path()).RecoverKilledSaves();
    const Loaded loaded = Load(dir);
    EXPECT_TRUE(loaded == a || loaded == b) << loaded.State.Queue.size() << " queued";
    if (!GetParam().firstSave) {
      EXPECT_EQ(ReadFileBytes(dir / "task" / "t" / "notes.txt"), "mine");
      EXPECT_TRUE(std::filesystem::is_directory(dir / "task" / "t" / "keep"));
    }
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir / "task")) ++entries;
    EXPECT_LE(entries, 1) << "a leftover beside the state folder";
  }

  std::vector<PictureEntry> mRowsB{{"b.jpg", "http://b/b.jpg", "", ""}};
};

TEST_P(InterruptedSave, LeavesSetAOrSetBAndAFailureLeavesA) {
  FaultyFileLayer layer;
  layer.SetExchangeRefused(GetParam().exchangeRefused);
  Loaded a, b;
  std::size_t steps = 0;
  {
    TempDir dir;
    Prepare(dir);
    a = Load(dir);
    TaskStateFiles(dir.Path(), layer).SaveCrawlState("t", mRowsB, SetB());
    steps = layer.Operations();
    b = Load(dir);
  }
  ASSERT_NE(a, b);
  ASSERT_GE(steps, 12u) << "a folder, ten files and a switch at least";

  for (std::size_t n = 1; n <= steps; ++n) {
    SCOPED_TRACE("step " + std::to_string(n) + " of " + std::to_string(steps));
    {
      TempDir dir;
      Prepare(dir);
      layer.InjectAt(n, FaultyFileLayer::Fault::kStop);
      EXPECT_THROW(TaskStateFiles(dir.Path(), layer).SaveCrawlState("t", mRowsB, SetB()),
                   test::Killed);
      ExpectWholeSet(dir, a, b);
    }
    {
      TempDir dir;
      Prepare(dir);
      layer.InjectAt(n, FaultyFileLayer::Fault::kFail);
      bool failed = false;
      try {
        TaskStateFiles(dir.Path(), layer).SaveCrawlState("t", mRowsB, SetB());
      } catch (const FileError&) {
        failed = true;
      }
      // A failure is told, with A as it was; a step past the switch only tidies up after B.
      EXPECT_EQ(Load(dir), failed ? a : b) << (failed ? "failed" : "succeeded");
      if (failed) {
        EXPECT_TRUE(TaskStateFiles(dir.Path()).LeftoverSets("t").empty());
      }
      ExpectWholeSet(dir, failed ? a : b, failed ? a : b);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryStep, InterruptedSave,
                         testing::Values(Interruption{false, false}, Interruption{true, false},
                                         Interruption{false, true}));

}  // namespace
}  // namespace vexilo
