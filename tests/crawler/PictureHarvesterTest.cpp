#include <gtest/gtest.h>

#include <unordered_set>

#include "crawler/PictureChoice.h"
#include "crawler/PictureHarvester.h"
#include "crawler/SavePaths.h"
#include "support/QueueLists.h"
#include "support/RecordingHooks.h"
#include "support/ScriptedSizeProbe.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::TempDir;
using test::WriteFileBytes;

struct CutCase {
  const char* link;
  const char* from;
  const char* to;
  const char* cut;
};
void PrintTo(const CutCase& c, std::ostream* os) { *os << c.link << " " << c.from << " " << c.to; }

class CutLinkTest : public testing::TestWithParam<CutCase> {};
TEST_P(CutLinkTest, TakesTheTextBetweenTheFirstMarkers) {
  EXPECT_EQ(CutLink(GetParam().link, GetParam().from, GetParam().to), GetParam().cut);
}
INSTANTIATE_TEST_SUITE_P(
    Markers, CutLinkTest,
    testing::Values(CutCase{"http://s/r?imgurl=http://p/a.jpg&w=5", "imgurl=", "&",
                            "http://p/a.jpg"},
                    CutCase{"http://s/r?IMGURL=p/A.jpg&x", "imgurl=", "&", "p/A.jpg"},
                    CutCase{"http://s/r?imgurl=p/a.jpg", "imgurl=", "&", ""},     // no end marker
                    CutCase{"http://s/r?a&imgurl=p/a.jpg&", "imgurl=", "&", ""},  // end first
                    CutCase{"abcdef&", "xyz", "&", "cdef"},  // no start: from position f
                    CutCase{"abc", "", "&", "abc"}, CutCase{"abc", "a", "", "abc"}));

TEST(WithSpacesDecodedOnce, TurnsDoubleEncodedSpacesIntoSingle) {
  EXPECT_EQ(WithSpacesDecodedOnce("a%2520b%25%2520"), "a%20b%25%20");
}

TEST(SaveNameOf, KeepsPictureNamesAndMakesOthersSafe) {
  EXPECT_EQ(SaveNameOf("http://a/b/c.JPEG"), "c.JPEG");
  EXPECT_EQ(SaveNameOf("http://a/b/c.png"), "http---a-b-c-png.jpg");
  EXPECT_EQ(SaveNameOf("http://a/b/c.png", true), "c.png");
  EXPECT_EQ(SaveNameOf("http://a/b/c.WebP", true), "c.WebP");
  EXPECT_EQ(SaveNameOf("http://a/b/c.avif", true), "c.avif");
  EXPECT_EQ(SaveNameOf("http://a/b/c.png?w=1", true), "http---a-b-c-png-w=1.jpg");
  std::string longName = std::string(300, 'n') + ".jpeg";
  std::string saved = SaveNameOf("http://a/" + longName);
  EXPECT_EQ(saved.size(), kLongestSaveName);
  EXPECT_EQ(saved, std::string(kLongestSaveName - 5, 'n') + ".jpeg");
}

// A gallery of thousands of pictures that share a file name must not count up from (1) for
// each of them: the work would grow with the square of the page.
TEST(MakeSavePath, ManyPicturesOfOneNameCostLinearWork) {
  TempDir folder;
  const std::string base = folder.Path().string();
  WriteFileBytes(folder / "(2)a.jpg", "on disk");
  std::unordered_set<std::string> queued;
  SaveNumbers numbers;
  long lookups = 0;
  const auto isQueued = [&](const std::string& path) {
    ++lookups;
    return queued.contains(path);
  };
  constexpr int kPictures = 2000;
  for (int i = 0; i < kPictures; ++i) {
    const std::string path =
        MakeSavePath(base, "http://h/" + std::to_string(i) + "/a.jpg", isQueued, numbers);
    queued.insert(path);
  }
  EXPECT_TRUE(queued.contains(base + "/a.jpg"));
  EXPECT_TRUE(queued.contains(base + "/(1)a.jpg"));
  EXPECT_FALSE(queued.contains(base + "/(2)a.jpg"));
  EXPECT_TRUE(queued.contains(base + "/(" + std::to_string(kPictures) + ")a.jpg"));
  EXPECT_LT(lookups, 3 * kPictures);
}

class PictureHarvesterTest : public testing::Test {
 protected:
  PictureHarvesterTest() { mHarvester.StartCrawl(mFolder.Path().string()); }
  std::string Saved(const std::string& name) const { return (mFolder / name).string(); }

  TempDir mFolder;
  TaskRecord mTask;
  CrawlState mState;
  CrawlIndexes mIndexes{mState};
  std::vector<PictureEntry> mRows;
  RunState mRun;
  test::RecordingHooks mHooks;
  AdvancedSettings mOptions;
  PictureHarvester mHarvester{mTask, mIndexes, mRows, mRun, mHooks, mOptions};
};

TEST_F(PictureHarvesterTest, ImageModeFiltersAndQueuesEachPictureOnce) {
  mTask.MinWidth = 100;
  mTask.MinHeight = 50;
  mTask.DownloadUrlFilter = "big";  // ignored: not an advanced task
  mHarvester.HarvestPictures(PageDocument{{},
                                          {{"http://a/x/one.jpg", 100, 50},
                                           {"ftp://a/two.jpg", 500, 500},
                                           {"HTTP://a/narrow.jpg", 99, 500},
                                           {"http://a/low.jpg", 500, 49},
                                           {"  http://a/x/one.jpg ", 200, 200},
                                           {"http://a/my%2520pic.gif", 300, 200}}});
  EXPECT_EQ(test::QueuedUrls(mState),
            (std::vector<std::string>{"http://a/x/one.jpg", "http://a/my%20pic.gif"}));
  EXPECT_EQ(test::QueuedSavePaths(mState),
            (std::vector<std::string>{Saved("one.jpg"), Saved("my%20pic.gif")}));
  std::vector<PictureEntry> expected{{"one.jpg", "http://a/x/one.jpg", "100", "50"},
                                     {"my%20pic.gif", "http://a/my%2520pic.gif", "300", "200"}};
  EXPECT_EQ(mRows, expected);
  EXPECT_EQ(mHooks.Rows, expected);
}

TEST_F(PictureHarvesterTest, QueueAndRowsKeepThePageEachPictureWasFoundOn) {
  mHarvester.HarvestPictures(PageDocument{{}, {{"http://a/1.jpg", 1, 1}}}, "http://a/p1.html");
  mTask.TaskType = "1";
  mTask.GrabFromLinks = "1";
  mHarvester.HarvestPictures(PageDocument{{"http://a/2.jpg"}, {}}, "http://a/p2.html");
  ASSERT_EQ(mState.Queue.size(), 2u);
  ASSERT_EQ(mRows.size(), 2u);
  EXPECT_EQ(mState.Queue[0].Page, "http://a/p1.html");
  EXPECT_EQ(mRows[0].Page, "http://a/p1.html");
  EXPECT_EQ(mState.Queue[1].Page, "http://a/p2.html");
  EXPECT_EQ(mRows[1].Page, "http://a/p2.html");
  EXPECT_EQ(mHooks.Rows, mRows);
}

TEST_F(PictureHarvesterTest, ImageModeFilterOfAnAdvancedTask) {
  mTask.TaskType = "1";
  mTask.DownloadUrlFilter = "BIG";
  mHarvester.HarvestPictures(
      PageDocument{{}, {{"http://a/small.jpg", 1, 1}, {"http://a/Big/p.jpg", 1, 1}}});
  EXPECT_EQ(test::QueuedUrls(mState), (std::vector<std::string>{"http://a/Big/p.jpg"}));
}

TEST_F(PictureHarvesterTest, SavePathsAvoidFilesOnDiskAndPathsAlreadyQueued) {
  WriteFileBytes(mFolder / "d.jpg", "x");
  WriteFileBytes(mFolder / "(2)d.jpg", "x");
  mHarvester.HarvestPictures(PageDocument{{},
                                          {{"http://a/1/d.jpg", 1, 1},
                                           {"http://a/2/d.jpg", 1, 1},
                                           {"http://a/1/e.jpg", 1, 1},
                                           {"http://a/2/e.jpg", 1, 1}}});
  EXPECT_EQ(test::QueuedSavePaths(mState),
            (std::vector<std::string>{Saved("(1)d.jpg"), Saved("(3)d.jpg"), Saved("e.jpg"),
                                      Saved("(1)e.jpg")}));
}

TEST_F(PictureHarvesterTest, LinkModeCutsSearchResults) {
  mTask.TaskType = "1";
  mTask.GrabFromLinks = "1";
  mTask.DownloadUrlFilter = "imgurl=";
  mTask.LinkCutFrom = "imgurl=";
  mTask.LinkCutTo = "&";
  const std::string engine = "http://" + std::string(kImageSearchHost) + "/imgres?";
  mHarvester.HarvestPictures(
      PageDocument{{engine + "imgurl=http://p.com/a%2520b.jpg&h=480&w=640&sz=9",
                    engine + "imgurl=q.com/c.jpg&w=10",  // no "&" after w= or h=
                    "http://other.com/x?IMGURL=https://r.com/d.gif&",
                    engine + "imgurl=http://p.com/a%20b.jpg&w=1&",  // the same picture again
                    engine + "imgurl=s.com/e.jpg",                  // no end marker
                    engine + "start=20"},
                   {}});
  EXPECT_EQ(test::QueuedUrls(mState),
            (std::vector<std::string>{"http://p.com/a%20b.jpg", "http://q.com/c.jpg",
                                      "https://r.com/d.gif"}));
  EXPECT_EQ(mRows, (std::vector<PictureEntry>{{"a%20b.jpg", "http://p.com/a%20b.jpg", "640", "480"},
                                              {"c.jpg", "q.com/c.jpg", "", ""},
                                              {"d.gif", "https://r.com/d.gif", "", ""}}));
}

TEST_F(PictureHarvesterTest, LinkModeWithoutFilterOrMarkersQueuesEveryLink) {
  mTask.TaskType = "1";
  mTask.GrabFromLinks = "1";
  mHarvester.HarvestPictures(PageDocument{{"http://a/p.html", "b/q.jpg", "b/q.jpg"}, {}});
  EXPECT_EQ(test::QueuedUrls(mState),
            (std::vector<std::string>{"http://a/p.html", "http://b/q.jpg"}));
}

TEST_F(PictureHarvesterTest, StopEndsHarvestingBeforeTheNextElement) {
  mHooks.OnRow = [&](const PictureEntry&) { mRun.StopPressed(); };
  mHarvester.HarvestPictures(
      PageDocument{{}, {{"http://a/1.jpg", 1, 1}, {"http://a/2.jpg", 1, 1}}});
  EXPECT_EQ(test::QueuedUrls(mState), (std::vector<std::string>{"http://a/1.jpg"}));
  EXPECT_EQ(mState.Queue.size(), 1u);
  EXPECT_EQ(mRows.size(), 1u);
}

struct ChoiceCase {
  const char* name;
  PageImage image;
  const char* chosen;
};
void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class PictureChoiceTest : public testing::TestWithParam<ChoiceCase> {};
TEST_P(PictureChoiceTest, TakesTheFirstUsableAddressInBrowserOrder) {
  const PageImage& image = GetParam().image;
  EXPECT_EQ(PictureChoice(PageDocument{{}, {image}}).AddressOf(image), GetParam().chosen);
}
INSTANTIATE_TEST_SUITE_P(
    Order, PictureChoiceTest,
    testing::Values(
        ChoiceCase{"linked",
                   {"http://a/t.jpg", 1, 1, "http://a/l.jpg", "http://a/c.jpg", "http://a/z.jpg"},
                   "http://a/l.jpg"},
        ChoiceCase{"linked before full size",
                   {"http://a/t.jpg", 1, 1, "http://a/l.jpg", "", "", "http://a/f.jpg"},
                   "http://a/l.jpg"},
        ChoiceCase{
            "full size",
            {"http://a/t.jpg", 1, 1, "", "http://a/c.jpg", "http://a/z.jpg", "http://a/f.jpg"},
            "http://a/f.jpg"},
        ChoiceCase{"candidate",
                   {"http://a/t.jpg", 1, 1, "", "http://a/c.jpg", "http://a/z.jpg"},
                   "http://a/c.jpg"},
        ChoiceCase{"lazy", {"http://a/t.jpg", 1, 1, "", "", "http://a/z.jpg"}, "http://a/z.jpg"},
        ChoiceCase{"src", {"http://a/t.jpg", 1, 1, "", "", ""}, "http://a/t.jpg"},
        ChoiceCase{"data skipped",
                   {"http://a/t.jpg", 1, 1, " DATA:image/gif;http", "data:x", ""},
                   "http://a/t.jpg"},
        ChoiceCase{"only data", {"data:image/png;base64,http", 1, 1, "", "", ""}, ""},
        ChoiceCase{"nothing", {"", 1, 1, "", "", ""}, ""}));

// A lazy page shows one tiny picture in every element until it is scrolled to.
TEST(PictureChoice, ASrcSharedByThreeElementsWithAlternativesIsAPlaceholder) {
  const PageImage dataOnly{"http://a/two.gif", 1, 1, "", "", "data:x"};
  const PageDocument document{{},
                              {{"http://a/ph.gif", 1, 1, "", "", "http://a/1.jpg"},
                               {"http://a/ph.gif", 1, 1, "", "http://a/2.jpg", ""},
                               {"http://a/ph.gif", 1, 1, "data:x", "", ""},
                               {"http://a/two.gif", 1, 1, "", "", "http://a/3.jpg"},
                               dataOnly},
                              {{"http://a/ph.gif", 1, 1, "", "", ""}}};
  const PictureChoice choice(document);
  EXPECT_EQ(choice.AddressOf(document.Images[1]), "http://a/2.jpg");
  EXPECT_EQ(choice.AddressOf(document.Images[2]), "");
  EXPECT_EQ(choice.AddressOf(document.ExtraImages[0]), "");
  EXPECT_EQ(choice.AddressOf(dataOnly), "http://a/two.gif");  // shared twice only
}

TEST_F(PictureHarvesterTest, BrowserPicturesKeepEveryRuleAfterTheChoice) {
  mOptions.BrowserPictures = true;
  mTask.TaskType = "1";
  mTask.DownloadUrlFilter = "full";
  mTask.MinWidth = 100;
  const PageDocument document{
      {},
      {{"http://a/t1.jpg", 100, 1, "http://a/full/my%2520big.jpg", "", ""},
       {"http://a/full/t2.jpg", 99, 1, "http://a/full/b.jpg", "", ""},       // too narrow
       {"http://a/full/t3.jpg", 100, 1, "", "http://a/small/c.jpg", ""},     // filtered out
       {"http://a/t4.jpg", 200, 1, "", "", " http://a/full/my%20big.jpg"}},  // again
      {{"http://a/full/bg.jpg", 300, 1, "", "", ""}}};
  mHarvester.HarvestPictures(document);
  EXPECT_EQ(test::QueuedUrls(mState),
            (std::vector<std::string>{"http://a/full/my%20big.jpg", "http://a/full/bg.jpg"}));
  EXPECT_EQ(mRows,
            (std::vector<PictureEntry>{{"my%20big.jpg", "http://a/full/my%2520big.jpg", "100", "1"},
                                       {"bg.jpg", "http://a/full/bg.jpg", "300", "1"}}));
}

TEST_F(PictureHarvesterTest, WithoutBrowserPicturesOnlyTheSrcCounts) {
  mHarvester.HarvestPictures(
      PageDocument{{},
                   {{"http://a/t.jpg", 1, 1, "http://a/l.jpg", "http://a/c.jpg", "http://a/z.jpg"},
                    {"", 1, 1, "", "", "http://a/y.jpg"}},
                   {{"http://a/bg.jpg", 1, 1, "", "", ""}}});
  EXPECT_EQ(test::QueuedUrls(mState), (std::vector<std::string>{"http://a/t.jpg"}));
}

// One page whose markup lies about its pictures' sizes (as a never-loaded image does).
const PageDocument kLyingPage{{},
                              {{"http://a/big.jpg", 16, 16},
                               {"http://a/tiny.jpg", 900, 900},
                               {"http://a/unread.jpg", 10, 10},
                               {"http://a/edge.jpg", 1, 1},
                               {" http://a/big.jpg ", 900, 900},  // the same picture again
                               {"ftp://a/other.jpg", 900, 900},
                               {"http://a/queued.jpg", 900, 900}}};

struct RealSizeCase {
  const char* Name;
  bool Option;
  int MinWidth;
  std::vector<std::vector<std::string>> Probed;
  std::vector<PictureEntry> Rows;
};
void PrintTo(const RealSizeCase& c, std::ostream* os) { *os << c.Name; }

class RealSizeHarvestTest : public PictureHarvesterTest,
                            public testing::WithParamInterface<RealSizeCase> {
 protected:
  RealSizeHarvestTest() {
    mIndexes.AppendPicture("http://a/queued.jpg", "");  // from an earlier page
    mProbe.Sizes = {{"http://a/big.jpg", {800, 600}},
                    {"http://a/tiny.jpg", {16, 16}},
                    {"http://a/edge.jpg", {200, 100}},
                    {"http://a/queued.jpg", {800, 600}}};
  }

  AdvancedSettings mOptions;
  test::ScriptedSizeProbe mProbe;
  PictureHarvester mProbing{mTask,  mIndexes, mRows,   mRun,
                            mHooks, mOptions, &mProbe, [this] { return !mRun.StopRequested(); }};
};

TEST_P(RealSizeHarvestTest, ComparesTheRealSizeWhereItCanBeRead) {
  mOptions.RealSizeFilter = GetParam().Option;
  mTask.MinWidth = GetParam().MinWidth;
  mTask.MinHeight = GetParam().MinWidth > 0 ? 100 : 0;
  mProbing.StartCrawl(mFolder.Path().string());
  mProbing.HarvestPictures(kLyingPage);
  EXPECT_EQ(mProbe.Calls, GetParam().Probed);
  EXPECT_EQ(mRows, GetParam().Rows);
  std::vector<std::string> queued{"http://a/queued.jpg"};
  for (const PictureEntry& row : GetParam().Rows) queued.push_back(row.Link);
  EXPECT_EQ(test::QueuedUrls(mState), queued);
}

INSTANTIATE_TEST_SUITE_P(
    Harvest, RealSizeHarvestTest,
    testing::Values(
        // Off: the markup decides, as it always did.
        RealSizeCase{"Off",
                     false,
                     200,
                     {},
                     {{"tiny.jpg", "http://a/tiny.jpg", "900", "900"},
                      {"big.jpg ", " http://a/big.jpg ", "900", "900"}}},
        // On: the real size decides; an unread one goes on to the download, with its markup.
        RealSizeCase{
            "On",
            true,
            200,
            {{"http://a/big.jpg", "http://a/tiny.jpg", "http://a/unread.jpg", "http://a/edge.jpg"}},
            {{"big.jpg", "http://a/big.jpg", "800", "600"},
             {"unread.jpg", "http://a/unread.jpg", "10", "10"},
             {"edge.jpg", "http://a/edge.jpg", "200", "100"}}},
        // No minimum: nothing to compare, so nothing is fetched ahead.
        RealSizeCase{"NoMinimum",
                     true,
                     0,
                     {},
                     {{"big.jpg", "http://a/big.jpg", "16", "16"},
                      {"tiny.jpg", "http://a/tiny.jpg", "900", "900"},
                      {"unread.jpg", "http://a/unread.jpg", "10", "10"},
                      {"edge.jpg", "http://a/edge.jpg", "1", "1"}}}));

}  // namespace
}  // namespace vexilo
