// Crawls through the real WebEngine browser (offscreen) of a site served on loopback.

#include <gtest/gtest.h>

#include <QWebEngineView>
#include <algorithm>
#include <chrono>
#include <string>

#include "support/StateFileBytes.h"
#include "support/WebEngineCrawlFixture.h"

namespace vexilo {
namespace {

using test::Page;
using test::Strings;
using test::WebEngineCrawlTest;

struct ScopeCase {
  int scope;
  Strings visited;  // paths, in the order they were gathered
};
void PrintTo(const ScopeCase& c, std::ostream* os) { *os << "scope " << c.scope; }

class ScopeCrawlTest : public WebEngineCrawlTest, public testing::WithParamInterface<ScopeCase> {};
TEST_P(ScopeCrawlTest, GathersTheLevelsTheScopeAllows) {
  mTask.LinkScope = GetParam().scope;
  Crawl();

  Strings visited;
  for (const std::string& path : GetParam().visited) {
    const std::string local = "LOCAL";
    visited.push_back(path.starts_with(local) ? "http://localhost:" + std::to_string(mSite.Port()) +
                                                    path.substr(local.size())
                                              : Url(path));
  }
  EXPECT_EQ(mState.VisitedUrls, visited);
  EXPECT_EQ(mState.WantUrls, (Strings{Url("/site/dir/z.html")}));
  EXPECT_TRUE(mState.TempUrls.empty());
  EXPECT_EQ(test::QueuedUrls(mState),
            (Strings{Url("/pics/1.jpg"), Url("/pics/2.jpg"), Url("/pics/3.jpg")}));
  const std::string folder = (mProgram / "pictures/t").string();
  EXPECT_EQ(test::QueuedSavePaths(mState),
            (Strings{folder + "/1.jpg", folder + "/2.jpg", folder + "/3.jpg"}));
  // The page address is where the browser says it is.
  EXPECT_EQ(mRows.front(),
            (PictureEntry{"1.jpg", Url("/pics/1.jpg"), "120", "90", Url("/site/dir/index.html")}));
  EXPECT_EQ(mState.Queue.front().Page, Url("/site/dir/index.html"));
  EXPECT_TRUE(mRun.CrawlIdle());
  EXPECT_FALSE(AnyPictureRequested());
}
INSTANTIATE_TEST_SUITE_P(
    Scopes, ScopeCrawlTest,
    testing::Values(ScopeCase{0,
                              {"/site/dir/index.html", "/site/dir/a.html", "/site/dir/sub/b.html",
                               "/site/dirmore/c.html", "/site/other/d.html",
                               "LOCAL/site/dir/e.html", "/site/dir/a2.html",
                               "/site/dir/sub/b2.html", "/site/dirmore/c2.html",
                               "/site/other/d2.html", "/site/dir/z.html"}},
                    ScopeCase{1,
                              {"/site/dir/index.html", "/site/dir/a.html", "/site/dir/sub/b.html",
                               "/site/dirmore/c.html", "/site/other/d.html", "/site/dir/a2.html",
                               "/site/dir/sub/b2.html", "/site/dirmore/c2.html",
                               "/site/other/d2.html", "/site/dir/z.html"}},
                    ScopeCase{2,
                              {"/site/dir/index.html", "/site/dir/a.html", "/site/dir/sub/b.html",
                               "/site/dirmore/c.html", "/site/dir/a2.html", "/site/dir/sub/b2.html",
                               "/site/dirmore/c2.html", "/site/dir/z.html"}},
                    ScopeCase{3,
                              {"/site/dir/index.html", "/site/dir/a.html", "/site/dir/a2.html",
                               "/site/dir/z.html"}}));

// A generated site of six sections of four pages whose pictures share names. The first section
// answers only once the fourth has been asked for, so pages loaded together complete out of
// the level's order (and one page at a time needs the gate open). With page scripts, every
// page also asks for a picture of its own that no element shows.
class PagesTogetherTest : public WebEngineCrawlTest, public testing::WithParamInterface<bool> {};
TEST_P(PagesTogetherTest, GiveTheStateFilesOfOneAtATime) {
  const bool scripts = GetParam();
  const std::string kSizedByTheView =
      "<style>body{margin:0} img{width:25%}</style>"
      "<script>new Image().src = location.pathname + '/asked.jpg';</script>";
  constexpr int kSections = 6;
  constexpr int kPages = 4;
  Strings sections;
  for (int s = 0; s < kSections; ++s) sections.push_back("/g/s" + std::to_string(s) + "/");
  mSite.AddPage("/g/", Page(sections, {"/g/top.jpg"}));
  for (int s = 0; s < kSections; ++s) {
    const std::string section = sections[static_cast<std::size_t>(s)];
    Strings links = {"/g/"};
    for (int p = 0; p < kPages; ++p) links.push_back("p" + std::to_string(p) + ".html");
    const std::string body = Page(links, {section + "pic.jpg", "/g/pic.jpg"}, kSizedByTheView);
    mSite.Http().Get(section, [this, s, body](const httplib::Request&, httplib::Response& answer) {
      if (s == 0) mSite.WaitAtGate(1);
      if (s == 3) mSite.OpenGate(1);
      answer.set_content(body, "text/html");
    });
    for (int p = 0; p < kPages; ++p) {
      const std::string page = "p" + std::to_string(p) + ".html";
      mSite.AddPage(section + page,
                    Page({"p" + std::to_string((p + 1) % kPages) + ".html",
                          sections[static_cast<std::size_t>((s + 1) % kSections)] + page},
                         {section + page + "/pic.jpg", "/g/p" + std::to_string(p) + ".jpg"},
                         kSizedByTheView));
    }
  }
  mTask.StartUrl = Url("/g/");
  // As in the main window: the page has a view, which is hidden, and the pictures are as wide
  // as the view makes them.
  QWebEngineView view;
  view.setPage(mBrowser.Page());
  view.resize(1000, 700);
  mOptions.RunPageScripts = scripts;
  mBrowser.SetSettleLimits({std::chrono::seconds(5), 5, std::chrono::milliseconds(50)});
  mOptions.PagesAtOnce = 1;
  mSite.OpenGate(1);
  Crawl();
  const std::map<std::string, std::string> onePage = test::StateFileBytes(mProgram / "task/t");
  const auto shown = std::find_if(mRows.rbegin(), mRows.rend(), [](const PictureEntry& row) {
    return !row.Link.ends_with("/asked.jpg");
  });
  ASSERT_NE(shown, mRows.rend());
  EXPECT_GT(std::stoi(shown->Width), 100) << "the pictures take their width from the view";
  const std::size_t asking = scripts ? kSections + kSections * kPages : 0;
  ASSERT_EQ(mState.Queue.size(), 1u + 1 + kSections + kSections * kPages + kPages + asking);
  EXPECT_EQ(mState.VisitedUrls.size(), 1u + kSections + kSections * kPages);

  mSite.CloseGate(1);
  mOptions.PagesAtOnce = 4;
  Crawl();
  EXPECT_EQ(test::StateFileBytes(mProgram / "task/t"), onePage);
  EXPECT_TRUE(mRun.CrawlIdle());
  EXPECT_FALSE(AnyPictureRequested());
  for (const test::SeenRequest& seen : mSite.Requests()) EXPECT_FALSE(seen.Path.ends_with(".jpg"));
}
INSTANTIATE_TEST_SUITE_P(Scripts, PagesTogetherTest, testing::Bool());

TEST_F(WebEngineCrawlTest, FollowsAStartingPageThatRedirectsByMetaRefresh) {
  mSite.AddPage(
      "/meta.html",
      Page({}, {}, "<meta http-equiv=\"refresh\" content=\"0; url=/site/dir/index.html\">"));
  mTask.StartUrl = Url("/meta.html");
  mTask.LinkLevels = 0;
  Crawl();
  EXPECT_EQ(mState.WantUrls.size(), 5u);
  EXPECT_EQ(mState.WantUrls.front(), Url("/site/dir/a.html"));
  EXPECT_EQ(test::QueuedUrls(mState), (Strings{Url("/pics/1.jpg")}));
}

TEST_F(WebEngineCrawlTest, AnalysesAPageThatNeverFinishesWhenItsWaitRunsOut) {
  mSite.AddPage("/start.html", Page({"/endless.html"}));
  mSite.AddEndlessPage("/endless.html",
                       Page({"/site/dir/a.html"}, {"/pics/9.jpg"}) + std::string(2048, ' '));
  mTask.StartUrl = Url("/start.html");
  mTask.LinkLevels = 1;
  mTask.IdleSeconds = 2;
  Crawl();
  EXPECT_EQ(mState.WantUrls, (Strings{Url("/site/dir/a.html")}));
  EXPECT_EQ(test::QueuedUrls(mState), (Strings{Url("/pics/9.jpg")}));
  EXPECT_TRUE(mRun.CrawlIdle());
}

TEST_F(WebEngineCrawlTest, LocationFollowsHttpAndMetaRedirects) {
  mSite.AddRedirect("/moved.html", "/site/dir/a.html");
  mSite.AddPage("/meta.html",
                Page({}, {}, "<meta http-equiv=\"refresh\" content=\"0; url=/site/dir/e.html\">"));
  mBrowser.Navigate(Url("/moved.html"));
  PumpUntil([&] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });
  EXPECT_EQ(mBrowser.LocationURL(), Url("/site/dir/a.html"));

  mBrowser.Navigate(Url("/meta.html"));
  PumpUntil([&] { return mBrowser.LocationURL() == Url("/site/dir/e.html"); });
}

TEST_F(WebEngineCrawlTest, ReadyStateBelongsToTheLastNavigate) {
  mSite.AddEndlessPage("/endless.html", Page({"/x.html"}) + std::string(2048, ' '));
  mBrowser.Navigate(Url("/endless.html"));
  PumpUntil([&] { return mSite.Hits("/endless.html") > 0; });
  mBrowser.Navigate("about:blank");
  mBrowser.Navigate(Url("/site/dir/a.html"));
  PumpUntil([&] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });
  std::optional<PageDocument> document = mBrowser.Document();
  ASSERT_TRUE(document.has_value());
  EXPECT_EQ(document->Links, (Strings{Url("/site/dir/a2.html"), Url("/site/dir/index.html")}));

  // The blank page loads at once; the page after it must still count as loading.
  mBrowser.Navigate("about:blank");
  mBrowser.Navigate(Url("/endless.html"));
  const auto until = mPump.Now() + std::chrono::seconds(1);
  while (mPump.Now() < until) {
    ASSERT_NE(mBrowser.ReadyState(), PageBrowser::kReadyStateComplete);
    mPump.ProcessEvents();
  }
}

TEST_F(WebEngineCrawlTest, ANavigateWhileTheLastLoadEndsStillCompletes) {
  mBrowser.SetMode(BrowserMode::Logon);
  mBrowser.Navigate(Url("/site/dir/a.html"));
  // Its picture is on the way: the page is about to finish loading.
  PumpUntil([&] { return mSite.Hits("/pics/2.jpg") > 0; });
  mBrowser.Navigate(Url("/site/dir/a2.html"));
  PumpUntil([&] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });
  EXPECT_EQ(mBrowser.Document()->Links, (Strings{Url("/site/dir/z.html")}));
}

TEST_F(WebEngineCrawlTest, LogonModeFetchesPicturesAndCrawlModeDoesNot) {
  mBrowser.SetMode(BrowserMode::Logon);
  mBrowser.Navigate(Url("/site/dir/a.html"));
  PumpUntil([&] { return mSite.Hits("/pics/2.jpg") > 0; });
  PumpUntil([&] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });

  mBrowser.SetMode(BrowserMode::Crawl);
  mBrowser.Navigate("about:blank");
  mBrowser.Navigate(Url("/site/dir/a2.html"));
  PumpUntil([&] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });
  EXPECT_EQ(mBrowser.Document()->Images.size(), 1u);
  EXPECT_EQ(mSite.Hits("/pics/3.jpg"), 0);
}

// A short page with a huge <base> would make every relative link megabytes long.
TEST_F(WebEngineCrawlTest, SnapshotLeavesOutOverlongHrefsAndEndsAtItsLimits) {
  const std::string base = Url("/" + std::string(5000, 'b') + "/");
  const Strings links = {Url("/1.html"), Url("/2.html"), Url("/3.html"), Url("/4.html")};
  mSite.AddPage("/hostile.html",
                Page({"far.html", links[0], links[1], links[2], links[3]},
                     {"far.jpg", Url("/pics/1.jpg")}, "<base href=\"" + base + "\">"));
  const std::size_t linkLength = links[0].size();
  struct Row {
    SnapshotLimits Limits;
    Strings Links;
  };
  const Row rows[] = {
      {{1000, 3, 1000000}, {links[0], links[1], links[2]}},
      {{1000, 100, 2 * linkLength + 1}, {links[0], links[1]}},
  };
  for (const Row& row : rows) {
    WebEnginePageBrowser browser(nullptr, row.Limits);
    browser.Navigate(Url("/hostile.html"));
    PumpUntil([&] { return browser.ReadyState() == PageBrowser::kReadyStateComplete; });
    const std::optional<PageDocument> document = browser.Document();
    ASSERT_TRUE(document.has_value());
    EXPECT_EQ(document->Links, row.Links);
    ASSERT_EQ(document->Images.size(), 1u);
    EXPECT_EQ(document->Images[0].Href, Url("/pics/1.jpg"));
  }
}

TEST_F(WebEngineCrawlTest, AnImageWithoutASourceIsNotThePageItself) {
  mSite.AddPage("/blanks.html",
                "<html><body><img src=\"\" width=\"50\"><img width=\"60\"><img src=\" \">"
                "<img src=\"/pics/1.jpg\"></body></html>");
  mBrowser.Navigate(Url("/blanks.html"));
  PumpUntil([&] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });
  const std::optional<PageDocument> document = mBrowser.Document();
  ASSERT_TRUE(document.has_value());
  ASSERT_EQ(document->Images.size(), 1u);
  EXPECT_EQ(document->Images[0].Href, Url("/pics/1.jpg"));
}

TEST_F(WebEngineCrawlTest, APageThatAsksForAPopUpGetsNone) {
  mSite.AddPage("/popup.html",
                "<html><body onload=\"window.open('/target.html'); "
                "new Image().src = '/pics/after.gif';\">"
                "<a href=\"/target.html\" target=\"_blank\">x</a></body></html>");
  mSite.AddPicture("/pics/after.gif");
  mBrowser.SetMode(BrowserMode::Logon);
  mBrowser.Navigate(Url("/popup.html"));
  PumpUntil([&] { return mSite.Hits("/pics/after.gif") > 0; });
  PumpUntil([&] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });
  EXPECT_EQ(mSite.Hits("/target.html"), 0);
  EXPECT_EQ(mBrowser.LocationURL(), Url("/popup.html"));
}

}  // namespace
}  // namespace vexilo
