#pragma once
// A PageBrowser over scripted pages on the fake clock: each page loads after a set time (or
// never), may redirect to another address, and has a document (or none). Pages it opens share
// its script and its records.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "crawler/PageBrowser.h"
#include "support/FakeSeams.h"

namespace vexilo::test {

struct ScriptedPage {
  std::optional<PageDocument> Document = PageDocument{};
  double LoadSeconds = 0;  // < 0: never completes
  std::string RedirectTo;  // after RedirectSeconds from the navigation, empty for none
  double RedirectSeconds = 0;
};

struct Navigation {
  double At;  // seconds on the fake clock
  std::string Address;
  BrowserMode Mode;
  int Page = 0;  // 0 for the browser, n for the n-th page it opened
};

class ScriptedBrowser : public PageBrowser {
 public:
  explicit ScriptedBrowser(FakeEventPump& pump) : mPump(pump), mRoot(*this) {}
  ~ScriptedBrowser() override;

  std::map<std::string, ScriptedPage> Pages;

  void Navigate(const std::string& address) override;
  void Stop() override { ++mRoot.mStops; }
  int ReadyState() override;
  std::string LocationURL() override;
  std::optional<PageDocument> Document() override;
  void SetMode(BrowserMode mode) override { mMode = mode; }
  void SetBrowserPictures(bool on) override { BrowserPictures = on; }
  void SetCrawlScripts(bool on) override { CrawlScripts = on; }
  void SettlePage(const std::function<bool()>& stopRequested) override {
    ++mRoot.Settles;
    if (mRoot.OnSettle) mRoot.OnSettle(stopRequested);
  }
  std::unique_ptr<PageBrowser> OpenPage() override;

  bool BrowserPictures = false;
  bool CrawlScripts = false;
  int Settles = 0;
  std::function<void(const std::function<bool()>&)> OnSettle;
  bool MayOpenPages = true;

  // The navigations to addresses other than "about:blank", in order.
  const std::vector<Navigation>& Visits() const { return mVisits; }
  std::vector<std::string> VisitedAddresses() const;
  // Every document read, at the time it was read, on any page.
  const std::vector<Navigation>& Reads() const { return mReads; }
  int Stops() const { return mStops; }
  BrowserMode Mode() const { return mMode; }
  int OpenPages() const { return mOpenPages; }  // opened and not yet destroyed
  int MostOpenPages() const { return mMostOpenPages; }

 private:
  ScriptedBrowser(ScriptedBrowser& root, int page);
  void FollowRedirect();
  const ScriptedPage* Current() const;

  FakeEventPump& mPump;
  ScriptedBrowser& mRoot;
  int mPage = 0;
  int mPagesMade = 0;
  int mOpenPages = 0;
  int mMostOpenPages = 0;
  std::vector<Navigation> mReads;
  std::string mAddress = "about:blank";
  double mLoadStart = 0;
  std::vector<Navigation> mVisits;
  int mStops = 0;
  BrowserMode mMode = BrowserMode::Crawl;
};

}  // namespace vexilo::test
