#include <gtest/gtest.h>

#include "crawler/LinkHarvester.h"

namespace vexilo {
namespace {

struct ScopeCase {
  int scope;
  const char* link;
  bool kept;
};

void PrintTo(const ScopeCase& c, std::ostream* os) { *os << "scope " << c.scope << " " << c.link; }

constexpr const char* kBase = "http://www.a.com/pics/index.html";

class LinkScopeTest : public testing::TestWithParam<ScopeCase> {};
TEST_P(LinkScopeTest, JudgesAgainstTheStartingAddress) {
  EXPECT_EQ(LinkScope(GetParam().scope, kBase).Allows(GetParam().link), GetParam().kept);
}
INSTANTIATE_TEST_SUITE_P(
    Rules, LinkScopeTest,
    testing::Values(ScopeCase{0, "http://elsewhere.org/x.html", true},
                    ScopeCase{1, "http://img.a.com/any/where.html", true},
                    ScopeCase{1, "http://www.a.org/pics/index.html", false},
                    ScopeCase{1, "http://www.A.com/pics/", false},  // case counts
                    ScopeCase{2, "http://www.a.com/pics/sub/p.html", true},
                    ScopeCase{2, "http://www.a.com/picsmore/p.html", true},  // substring rule
                    ScopeCase{2, "http://mirror.b.com/www.a.com/pics/p.html", true},
                    ScopeCase{2, "http://www.a.com/other/p.html", false},
                    ScopeCase{3, "http://www.a.com/PICS/other.html", true},
                    ScopeCase{3, "http://www.a.com/pics/sub/p.html", false},
                    ScopeCase{7, "http://elsewhere.org/", true}));

struct KindCase {
  const char* lowerLink;
  bool page;
};
void PrintTo(const KindCase& c, std::ostream* os) { *os << c.lowerLink; }

class PageLinkTest : public testing::TestWithParam<KindCase> {};
TEST_P(PageLinkTest, DropsWhatIsNoPage) {
  EXPECT_EQ(IsPageLink(GetParam().lowerLink), GetParam().page);
}
INSTANTIATE_TEST_SUITE_P(
    Kinds, PageLinkTest,
    testing::Values(KindCase{"http://a.com/p.html", true}, KindCase{"mailto:x@a.com", false},
                    KindCase{"http://a.com/gmail/p.html", false},
                    KindCase{"javascript:go()", false}, KindCase{"http://a.com/p.html#top", false},
                    KindCase{"http://a.com/f.pdf", false}, KindCase{"http://a.com/f.exe?x", true},
                    KindCase{".zip", false}, KindCase{"zip", true}));

class LinkHarvesterTest : public testing::Test {
 protected:
  LinkHarvesterTest() {
    mTask.LinkScope = 0;
    mState.VisitedUrls = {"http://a.com/start.html"};
    mIndexes.Rebuild();
  }
  void Harvest(std::vector<std::string> links) {
    mHarvester.StartCrawl("http://a.com/start.html");
    mHarvester.HarvestLinks(PageDocument{std::move(links), {}});
  }

  TaskRecord mTask;
  CrawlState mState;
  CrawlIndexes mIndexes{mState};
  LinkHarvester mHarvester{mTask, mIndexes};
};

TEST_F(LinkHarvesterTest, GathersEachNewLinkOnceInDocumentOrder) {
  // A check knows the pictures the task had: links to them are not followed.
  mIndexes.AddKnownPictures({"http://a.com/had.jpg"});
  Harvest({"http://a.com/2.html", "http://a.com/start.html", "http://a.com/1.html",
           "http://a.com/2.html", "http://a.com/1.HTML", "http://a.com/F.PDF",
           "http://a.com/had.jpg", "http://a.com/new.jpg"});
  Harvest({"http://a.com/1.html", "http://a.com/3.html"});
  EXPECT_EQ(
      mState.TempUrls,
      (std::vector<std::string>{"http://a.com/2.html", "http://a.com/1.html", "http://a.com/1.HTML",
                                "http://a.com/new.jpg", "http://a.com/3.html"}));
}

TEST_F(LinkHarvesterTest, SearchingAddressFilterAppliesToAdvancedTasksOnly) {
  mTask.SearchUrlFilter = "START=";
  Harvest({"http://a.com/r?q=x&start=20", "http://a.com/other"});
  EXPECT_EQ(mState.TempUrls.size(), 2u);

  mTask.TaskType = "1";
  mIndexes.ClearTempUrls();
  Harvest({"http://a.com/r?q=x&start=20", "http://a.com/other"});
  EXPECT_EQ(mState.TempUrls, (std::vector<std::string>{"http://a.com/r?q=x&start=20"}));
}

}  // namespace
}  // namespace vexilo
