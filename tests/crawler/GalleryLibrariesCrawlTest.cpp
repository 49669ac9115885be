// Crawls pages made with real gallery, lightbox and lazy-loading libraries through the real
// WebEngine browser: with the browser-picture and page-script options on, every full-size
// picture once; with them off, the image elements' own src.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "support/WebEngineCrawlFixture.h"

namespace vexilo {
namespace {

using test::Strings;

constexpr const char* kGalleries = VEXILO_SOURCE_DIR "/tests/crawler/galleries";

class GalleryLibrariesTest : public test::WebEngineCrawlTest {
 protected:
  GalleryLibrariesTest() {
    mSite.Http().set_mount_point("/galleries", kGalleries);
    mTask.LinkLevels = 0;
    mBrowser.SetSettleLimits({std::chrono::seconds(20), 50, std::chrono::seconds(2)});
  }
  Strings GalleryAddresses(const Strings& paths) const {
    Strings addresses;
    for (const std::string& path : paths) addresses.push_back(Url("/galleries/" + path));
    return addresses;
  }
  // Pictures the server was asked for: none, whatever the options.
  int GalleryPictureRequests() const {
    int count = 0;
    for (const test::SeenRequest& seen : mSite.Requests()) {
      const std::string& path = seen.Path;
      if (path.starts_with("/galleries/") && !path.ends_with(".html") && !path.ends_with(".js") &&
          !path.ends_with(".json")) {
        ++count;
      }
    }
    return count;
  }
};

struct LibraryCase {
  const char* name;
  const char* page;
  Strings off;  // queued with both options off, in queue order
  Strings on;   // queued with both on
};
void PrintTo(const LibraryCase& c, std::ostream* os) { *os << c.name; }

class GalleryLibraryCrawlTest : public GalleryLibrariesTest,
                                public testing::WithParamInterface<LibraryCase> {
 protected:
  void CrawlWith(bool on) {
    mOptions.BrowserPictures = on;
    mOptions.RunPageScripts = on;
    mTask.StartUrl = Url(std::string("/galleries/") + GetParam().page);
    Crawl();
  }
};

TEST_P(GalleryLibraryCrawlTest, OptionsOffQueueTheImagesSrc) {
  CrawlWith(false);
  EXPECT_EQ(test::QueuedUrls(mState), GalleryAddresses(GetParam().off));
  EXPECT_EQ(GalleryPictureRequests(), 0);
}

TEST_P(GalleryLibraryCrawlTest, OptionsOnQueueEveryFullSizePictureOnce) {
  CrawlWith(true);
  EXPECT_EQ(test::QueuedUrls(mState), GalleryAddresses(GetParam().on));
  EXPECT_EQ(GalleryPictureRequests(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, GalleryLibraryCrawlTest,
    testing::Values(
        LibraryCase{"PhotoSwipe",
                    "photoswipe.html",
                    {"ps/img-200-1.jpg", "ps/img-200-2.jpg", "ps/img-200-3.jpg"},
                    {"ps/img-2500-1.jpg", "ps/img-2500-2.jpg", "ps/img-2500-3.jpg"}},
        LibraryCase{"GLightbox",
                    "glightbox.html",
                    {"gl/small-1.jpg", "gl/small-2.jpg"},
                    {"gl/large-1.jpg", "gl/large-2.jpg", "gl/large-3.jpg"}},
        LibraryCase{"FancyboxMarkup",
                    "fancybox.html",
                    {"fb/thumbnail-a.jpeg", "fb/thumbnail-b.jpeg"},
                    {"fb/image-a.jpeg", "fb/image-b.jpeg", "fb/image-c.jpeg"}},
        LibraryCase{"Swiper",
                    "swiper.html",
                    {"sw/picture-1.jpg", "sw/picture-2.jpg", "sw/picture-3.jpg"},
                    {"sw/picture-1.jpg", "sw/picture-2-big.jpg", "sw/picture-3.jpg"}},
        LibraryCase{"Lazysizes",
                    "lazysizes.html",
                    {},
                    {"ls/image-1.jpg", "ls/image-2-900.jpg", "ls/image-3-wide.jpg"}},
        LibraryCase{"VanillaLazyload",
                    "lazyload.html",
                    {"vl/lazy-2-low.jpg"},
                    {"vl/lazy-1.jpg", "vl/lazy-2.jpg", "vl/lazy-3-800.jpg", "vl/lazy-bg.jpg"}},
        LibraryCase{"BlogMarkup",
                    "blog.html",
                    {"blog/photo-1-300x200.jpg", "blog/shoe-small.jpg", "blog/logo.png"},
                    {"blog/photo-1.jpg", "blog/shoe-zoom.jpg", "blog/logo@2x.png",
                     "blog/og-cover.jpg", "blog/twitter-cover.jpg", "blog/bay.jpg",
                     "blog/ld-picture.jpg", "blog/ld-second.jpg"}}),
    [](const testing::TestParamInfo<LibraryCase>& row) { return std::string(row.param.name); });

// Pictures that only the page's scripts ask for, each in another way, and a data file.
constexpr const char* kAskingPage = R"(<html><head><style>
#late { width: 50px; height: 50px; }
</style></head><body><a href="/elsewhere.html">x</a>
<img src="/ask/element.jpg" width="20" height="20"><div id="late"></div>
<object data="/ask/object.png" type="image/png"></object>
<script>
var canvas = document.createElement('canvas'), made = new Image();
made.onload = function () { canvas.getContext('2d').drawImage(made, 0, 0); };
made.src = '/ask/canvas.png?v=2';
new Image().src = '/ask/element.jpg';
setTimeout(function () {
  document.getElementById('late').style.backgroundImage = 'url(/ask/late-bg.webp)';
}, 50);
fetch('/ask/fetched.avif').catch(function () {});
var request = new XMLHttpRequest();
request.open('GET', '/ask/requested.gif');
request.send();
fetch('/ask/list.json').catch(function () {});
</script></body></html>)";

struct AskingCase {
  const char* name;
  bool browserPictures;
};
void PrintTo(const AskingCase& c, std::ostream* os) { *os << c.name; }

class AskedPicturesTest : public GalleryLibrariesTest,
                          public testing::WithParamInterface<AskingCase> {};
TEST_P(AskedPicturesTest, JoinTheSnapshotAndAreNeverFetched) {
  mSite.AddPage("/ask.html", kAskingPage);
  mSite.AddPage("/ask/list.json", "[]");
  for (const char* picture : {"/ask/element.jpg", "/ask/object.png", "/ask/canvas.png",
                              "/ask/late-bg.webp", "/ask/fetched.avif", "/ask/requested.gif"}) {
    mSite.AddPicture(picture);
  }
  mOptions.BrowserPictures = GetParam().browserPictures;
  mOptions.RunPageScripts = true;
  mTask.StartUrl = Url("/ask.html");
  Crawl();
  const Strings queued = test::QueuedUrls(mState);
  ASSERT_FALSE(queued.empty());
  EXPECT_EQ(queued.front(), Url("/ask/element.jpg"));
  // The order among the rest is the order the page asked in, which its timers decide.
  EXPECT_EQ(std::set<std::string>(queued.begin(), queued.end()),
            (std::set<std::string>{Url("/ask/element.jpg"), Url("/ask/object.png"),
                                   Url("/ask/canvas.png?v=2"), Url("/ask/late-bg.webp"),
                                   Url("/ask/fetched.avif"), Url("/ask/requested.gif")}));
  EXPECT_EQ(queued.size(), 6u);
  for (const test::SeenRequest& seen : mSite.Requests()) {
    EXPECT_FALSE(seen.Path.starts_with("/ask/") && seen.Path != "/ask/list.json") << seen.Path;
  }
  EXPECT_EQ(mSite.Hits("/ask/list.json"), 1);
}
INSTANTIATE_TEST_SUITE_P(Options, AskedPicturesTest,
                         testing::Values(AskingCase{"ScriptsOnly", false},
                                         AskingCase{"WithBrowserPictures", true}),
                         [](const testing::TestParamInfo<AskingCase>& row) {
                           return std::string(row.param.name);
                         });

const Strings kAlbum = {"sunrise", "harbour", "market", "bridge", "tower", "garden",
                        "river",   "station", "square", "chapel", "dunes", "sunset"};

TEST_F(GalleryLibrariesTest, AFragmentViewerShowsEveryPictureOnceWithoutNewPages) {
  mOptions.BrowserPictures = true;
  mOptions.RunPageScripts = true;
  mTask.StartUrl = Url("/galleries/viewer.html");
  Crawl();
  Strings expected;
  for (const std::string& name : kAlbum) {
    expected.push_back(Url("/galleries/album/" + name + ".jpg"));
    expected.push_back(Url("/galleries/album/thumbs/" + name + ".jpg"));
  }
  Strings queued = test::QueuedUrls(mState);
  std::sort(queued.begin(), queued.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(queued, expected);
  for (const std::string& visited : mState.VisitedUrls) {
    EXPECT_EQ(visited.find('#'), std::string::npos) << visited;
  }
  for (const PictureEntry& row : mRows) EXPECT_EQ(row.Page, mTask.StartUrl);
  EXPECT_EQ(GalleryPictureRequests(), 0);
}

TEST_F(GalleryLibrariesTest, AFragmentViewerWithoutScriptsShowsNothing) {
  mOptions.BrowserPictures = true;
  mTask.StartUrl = Url("/galleries/viewer.html");
  Crawl();
  EXPECT_TRUE(mState.Queue.empty());
}

TEST_F(GalleryLibrariesTest, StopEndsTheFragmentViews) {
  mBrowser.SetCrawlScripts(true);
  mBrowser.Navigate(Url("/galleries/viewer.html"));
  PumpUntil([&] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });
  PumpUntil([&] {
    const std::optional<PageDocument> document = mBrowser.Document();
    return document && document->Images.size() > kAlbum.size();
  });
  int asked = 0;
  mBrowser.VisitFragmentViews([&] { return ++asked > 3; });
  EXPECT_LE(asked, 6);
  const std::optional<PageDocument> document = mBrowser.Document();
  ASSERT_TRUE(document.has_value());
  for (const PageImage& image : document->RequestedImages) {
    EXPECT_FALSE(image.Href.ends_with("/album/sunset.jpg"));
  }
}

TEST_F(GalleryLibrariesTest, APageWhoseFirstViewsAskForNothingIsNoViewer) {
  std::string page = "<html><body><img src=\"/faq.jpg\">";
  for (int i = 1; i <= 20; ++i) {
    page += "<a href=\"#s" + std::to_string(i) + "\">" + std::to_string(i) + "</a>";
  }
  mSite.AddPage("/faq.html", page + "</body></html>");
  mBrowser.SetCrawlScripts(true);
  mBrowser.Navigate(Url("/faq.html"));
  PumpUntil([&] { return mBrowser.ReadyState() == PageBrowser::kReadyStateComplete; });
  mBrowser.VisitFragmentViews([] { return false; });
  EXPECT_EQ(mBrowser.LocationURL(), Url("/faq.html#s5"));
}

}  // namespace
}  // namespace vexilo
