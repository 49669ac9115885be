// Crawls a gallery built as sites build them today (linked full-size pictures, lazy loading,
// srcset, CSS backgrounds, frames, a gallery made by script) through the real WebEngine
// browser, with the crawl options off and on.

#include <gtest/gtest.h>

#include "support/WebEngineCrawlFixture.h"

namespace vexilo {
namespace {

using test::Strings;

constexpr const char* kModernSite = VEXILO_SOURCE_DIR "/tests/crawler/modern-site";

class ModernSiteTest : public test::WebEngineCrawlTest {
 protected:
  ModernSiteTest() {
    mSite.Http().set_mount_point("/modern", kModernSite);
    mTask.LinkLevels = 0;
    // The scripted gallery grows within milliseconds of each scroll, but a loaded machine may
    // take its time: the wait for growth is generous, and it is spent once per settled page.
    mBrowser.SetSettleLimits({std::chrono::seconds(20), 50, std::chrono::seconds(3)});
  }
  Strings Addresses(const Strings& paths) const {
    Strings addresses;
    for (const std::string& path : paths) addresses.push_back(Url("/modern/" + path));
    return addresses;
  }
  // Crawl mode never fetches pictures, whatever the options.
  int PictureRequests() const {
    int count = 0;
    for (const test::SeenRequest& seen : mSite.Requests()) {
      if (seen.Path.starts_with("/modern/") && !seen.Path.ends_with(".html")) ++count;
    }
    return count;
  }
};

struct SiteCase {
  const char* name;
  bool browserPictures;
  bool runScripts;
  const char* page;
  Strings queued;  // paths under the site, in queue order
};
void PrintTo(const SiteCase& c, std::ostream* os) { *os << c.name; }

const Strings kTodaysGallery = {"thumbs/t.jpg", "thumbs/t2.jpg", "placeholder.gif",
                                "p-300.jpg",    "pic.png",       "tiny.jpg"};
const Strings kBrowserGallery = {"full/big.jpg", "lazy/l1.jpg", "lazy/l2.jpg", "lazy/l3.jpg",
                                 "lazy/l4.jpg",  "a-800.jpg",   "p-1200.jpg",  "pic.png",
                                 "tiny.jpg",     "bg.jpg",      "framed.jpg"};

class ModernSiteCrawlTest : public ModernSiteTest, public testing::WithParamInterface<SiteCase> {};
TEST_P(ModernSiteCrawlTest, QueuesWhatTheOptionsPromiseEachOnce) {
  mOptions.BrowserPictures = GetParam().browserPictures;
  mOptions.RunPageScripts = GetParam().runScripts;
  mTask.StartUrl = Url(std::string("/modern/") + GetParam().page);
  Crawl();
  EXPECT_TRUE(mRun.CrawlIdle());
  EXPECT_EQ(test::QueuedUrls(mState), Addresses(GetParam().queued));
  EXPECT_EQ(PictureRequests(), 0);
}
INSTANTIATE_TEST_SUITE_P(
    Options, ModernSiteCrawlTest,
    testing::Values(SiteCase{"Off", false, false, "index.html", kTodaysGallery},
                    SiteCase{"BrowserPictures", true, false, "index.html", kBrowserGallery},
                    SiteCase{"Both", true, true, "index.html", kBrowserGallery},
                    SiteCase{"ScriptedPageOff", false, false, "scripted.html", {"tiny.jpg"}},
                    SiteCase{"ScriptedPageScripts",
                             false,
                             true,
                             "scripted.html",
                             {"tiny.jpg", "gallery/g1.jpg", "gallery/g2.jpg", "gallery/g3.jpg",
                              "gallery/g4.jpg", "gallery/g5.jpg", "gallery/g6.jpg"}}),
    [](const testing::TestParamInfo<SiteCase>& row) { return std::string(row.param.name); });

struct LinkCase {
  const char* href;
  bool picture;
};
void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.href; }

class LinkedPictureTest : public ModernSiteTest, public testing::WithParamInterface<LinkCase> {};
TEST_P(LinkedPictureTest, AnEnclosingLinkNamesAPictureByItsPathOnly) {
  mSite.AddPage("/linked.html", std::string("<html><body><a href=\"") + GetParam().href +
                                    "\"><span><img src=\"/t.gif\"></span></a></body></html>");
  mBrowser.SetBrowserPictures(true);
  mBrowser.Navigate(Url("/linked.html"));
  PumpUntil([&] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });
  const std::optional<PageDocument> document = mBrowser.Document();
  ASSERT_TRUE(document.has_value());
  ASSERT_EQ(document->Images.size(), 1u);
  EXPECT_EQ(document->Images[0].LinkedPicture,
            GetParam().picture ? Url(std::string("/") + GetParam().href) : "");
}
INSTANTIATE_TEST_SUITE_P(Links, LinkedPictureTest,
                         testing::Values(LinkCase{"big.JPEG?w=800", true},
                                         LinkCase{"a.webp#top", true}, LinkCase{"a.avif", true},
                                         LinkCase{"a.jpg.html", false},
                                         LinkCase{"show?file=a.jpg", false},
                                         LinkCase{"big/", false}));

TEST_F(ModernSiteTest, SnapshotKeepsItsLimitsAndSkipsForeignFrames) {
  const std::string foreign =
      "http://localhost:" + std::to_string(mSite.Port()) + "/modern/frame.html";
  const std::string longName = std::string(300, 'n') + ".jpg";
  mSite.AddPage("/framed.html", "<html><body><img src=\"/t.gif\" data-src=\"/" + longName +
                                    "\" srcset=\"/a.jpg 2x, /" + longName + " 3x\"><iframe src=\"" +
                                    foreign + "\"></iframe></body></html>");
  WebEnginePageBrowser browser(nullptr, SnapshotLimits{200, 100, 100000});
  browser.SetBrowserPictures(true);
  browser.Navigate(Url("/framed.html"));
  PumpUntil([&] { return browser.ReadyState() == PageBrowser::kReadyStateComplete; });
  const std::optional<PageDocument> document = browser.Document();
  ASSERT_TRUE(document.has_value());
  ASSERT_EQ(document->Images.size(), 1u);
  const PageImage& image = document->Images[0];
  EXPECT_EQ(image.Href, Url("/t.gif"));
  EXPECT_EQ(image.LargestCandidate, Url("/a.jpg"));  // the larger one is too long
  EXPECT_EQ(image.LazySource, "");
  EXPECT_TRUE(document->ExtraImages.empty());
}

// Every scroll to the end adds a picture and makes the page taller, for ever.
constexpr const char* kEndlessPage = R"(<html><body><div style="height: 3000px"></div><script>
window.addEventListener('scroll', function () {
  setTimeout(function () {
    var block = document.createElement('div'), img = document.createElement('img');
    block.style.height = '3000px';
    img.src = '/endless/' + document.images.length + '.jpg';
    block.appendChild(img);
    document.body.appendChild(block);
  }, 0);
});
</script></body></html>)";

class SettleTest : public ModernSiteTest {
 protected:
  SettleTest() {
    mSite.AddPage("/endless.html", kEndlessPage);
    mBrowser.SetCrawlScripts(true);
    mBrowser.Navigate(Url("/endless.html"));
  }
  std::size_t Pictures() {
    const std::optional<PageDocument> document = mBrowser.Document();
    return document ? document->Images.size() : 0;
  }
};

TEST_F(SettleTest, AnEndlessPageIsScrolledItsStepsAndNoMore) {
  PumpUntil([&] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });
  mBrowser.SetSettleLimits({std::chrono::minutes(10), 3, std::chrono::seconds(30)});
  mBrowser.SettlePage([] { return false; });
  EXPECT_EQ(Pictures(), 3u);
}

TEST_F(SettleTest, StopEndsTheScrolling) {
  PumpUntil([&] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });
  mBrowser.SetSettleLimits({std::chrono::minutes(10), 100000, std::chrono::seconds(30)});
  int asked = 0;
  mBrowser.SettlePage([&] { return ++asked > 40; });
  EXPECT_LE(asked, 43);
  EXPECT_LT(Pictures(), 40u);
}

}  // namespace
}  // namespace vexilo
