#pragma once
// A crawler on the real WebEngine browser (offscreen) and a small site served on loopback.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "core/AdvancedSettings.h"
#include "crawler/Crawler.h"
#include "platform/QtEventPump.h"
#include "platform/WebEnginePageBrowser.h"
#include "support/FakeSeams.h"
#include "support/LoopbackServer.h"
#include "support/QueueLists.h"
#include "support/RecordingHooks.h"
#include "support/TempDir.h"

namespace vexilo::test {

using Strings = std::vector<std::string>;

inline std::string Page(const Strings& links, const Strings& images = {},
                        const std::string& head = "") {
  std::string html = "<html><head>" + head + "</head><body>";
  for (const std::string& link : links) html += "<a href=\"" + link + "\">x</a> ";
  for (const std::string& image : images) {
    html += "<img src=\"" + image + "\" width=\"120\" height=\"90\">";
  }
  return html + "</body></html>";
}

class WebEngineCrawlTest : public testing::Test {
 protected:
  WebEngineCrawlTest() {
    const std::string local = "http://localhost:" + std::to_string(mSite.Port());
    mSite.AddPage("/site/dir/index.html",
                  Page({"a.html", "sub/b.html", "/site/dirmore/c.html", "/site/other/d.html",
                        local + "/site/dir/e.html", "mailto:me@a.com", "f.pdf", "a.html#top"},
                       {"/pics/1.jpg"}));
    mSite.AddPage("/site/dir/a.html", Page({"a2.html", "index.html"}, {"/pics/2.jpg"}));
    mSite.AddPage("/site/dir/sub/b.html", Page({"b2.html"}, {"/pics/2.jpg"}));
    mSite.AddPage("/site/dirmore/c.html", Page({"c2.html"}));
    mSite.AddPage("/site/other/d.html", Page({"d2.html"}));
    mSite.AddPage("/site/dir/e.html", Page({}));
    for (const char* page : {"/site/dir/a2.html", "/site/dir/sub/b2.html", "/site/dirmore/c2.html",
                             "/site/other/d2.html"}) {
      mSite.AddPage(page, Page({"/site/dir/z.html"}, {"/pics/3.jpg"}));
    }
    for (const char* picture : {"/pics/1.jpg", "/pics/2.jpg", "/pics/3.jpg"}) {
      mSite.AddPicture(picture);
    }

    mTask.StartUrl = mSite.Url("/site/dir/index.html");
    mTask.TaskFolder = (mProgram / "pictures/t").string();
    mTask.FolderName = "t";
    mTask.LinkLevels = 2;
    mTask.IdleSeconds = 20;
  }

  std::string Url(const std::string& path) const { return mSite.Url(path); }
  void Crawl() { mCrawler.RunCrawl(); }
  // Pumps events until done holds; fails the test after a generous limit.
  void PumpUntil(const std::function<bool()>& done) {
    const auto deadline = mPump.Now() + std::chrono::seconds(30);
    while (!done() && mPump.Now() < deadline) mPump.ProcessEvents();
    ASSERT_TRUE(done());
  }
  bool AnyPictureRequested() const {
    for (const SeenRequest& seen : mSite.Requests()) {
      if (seen.Path.starts_with("/pics/") || seen.Path == "/favicon.ico") return true;
    }
    return false;
  }

  LoopbackServer mSite{LoopbackServer::Connections::OnePerRequest};
  TempDir mProgram;
  TaskRecord mTask;
  CrawlState mState;
  std::vector<PictureEntry> mRows;
  RunState mRun;
  QtEventPump mPump;
  WebEnginePageBrowser mBrowser;
  AdvancedSettings mOptions;
  RecordingPrompts mPrompts = RecordingPrompts::MessagesOnly();
  RecordingStatus mStatus;
  RecordingHooks mHooks;
  Crawler mCrawler{mProgram.Path(), mTask,    mState,  mRows,  mRun,    mBrowser,
                   mPump,           mPrompts, mStatus, mHooks, mOptions};
};

}  // namespace vexilo::test
