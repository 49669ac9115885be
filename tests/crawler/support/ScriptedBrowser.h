#pragma once
// A PageBrowser over scripted pages on the fake clock: each page loads after a set time (or
// never), may redirect to another address, and has a document (or none).

#include <functional>
#include <map>
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
};

class ScriptedBrowser : public PageBrowser {
 public:
  explicit ScriptedBrowser(FakeEventPump& pump) : mPump(pump) {}

  std::map<std::string, ScriptedPage> Pages;

  void Navigate(const std::string& address) override;
  void Stop() override { ++mStops; }
  int ReadyState() override;
  std::string LocationURL() override;
  std::optional<PageDocument> Document() override;
  void SetMode(BrowserMode mode) override { mMode = mode; }
  void SetBrowserPictures(bool on) override { BrowserPictures = on; }
  void SetCrawlScripts(bool on) override { CrawlScripts = on; }
  void SettlePage(const std::function<bool()>& stopRequested) override {
    ++Settles;
    if (OnSettle) OnSettle(stopRequested);
  }

  bool BrowserPictures = false;
  bool CrawlScripts = false;
  int Settles = 0;
  std::function<void(const std::function<bool()>&)> OnSettle;

  // The navigations to addresses other than "about:blank", in order.
  const std::vector<Navigation>& Visits() const { return mVisits; }
  std::vector<std::string> VisitedAddresses() const;
  int Stops() const { return mStops; }
  BrowserMode Mode() const { return mMode; }

 private:
  void FollowRedirect();
  const ScriptedPage* Current() const;

  FakeEventPump& mPump;
  std::string mAddress = "about:blank";
  double mLoadStart = 0;
  std::vector<Navigation> mVisits;
  int mStops = 0;
  BrowserMode mMode = BrowserMode::Crawl;
};

}  // namespace vexilo::test
