#pragma once
// PageBrowser on a Qt WebEngine page. Crawl mode loads only documents (no plugins, pictures
// or icons, and no scripts unless crawl scripts are on: then the pictures the page asks for
// are recorded and blocked); logon mode is a normal page. Pages never
// get new windows and never show dialogs. The main window shows Page() in the view beneath the
// picture grid. Main thread only.

#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWebEngineView>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "crawler/PageBrowser.h"
#include "platform/QtEventPump.h"

class QWebEngineLoadingInfo;
class QWebEnginePage;
class QWebEngineProfile;

namespace vexilo {

class PictureRequestRecorder;

// How long SettlePage scrolls a page: at most Longest in all and MostSteps scrolls, and it
// ends once a scroll has not made the page taller within GrowthWait.
struct SettleLimits {
  std::chrono::milliseconds Longest{10000};
  int MostSteps = 50;
  std::chrono::milliseconds GrowthWait{1000};
};

class WebEnginePageBrowser : public PageBrowser {
 public:
  // The page is made on profile (the default profile when null) and owned by the browser.
  explicit WebEnginePageBrowser(QWebEngineProfile* profile = nullptr, SnapshotLimits limits = {});
  ~WebEnginePageBrowser() override;
  WebEnginePageBrowser(const WebEnginePageBrowser&) = delete;
  WebEnginePageBrowser& operator=(const WebEnginePageBrowser&) = delete;

  QWebEnginePage* Page() const;

  // Each raises std::runtime_error once the page has been destroyed.
  void Navigate(const std::string& address) override;
  void Stop() override;
  int ReadyState() override;
  std::string LocationURL() override;
  // Reads the document in a script world of its own, which runs even with page scripts off
  // and which the page's scripts cannot change; pumps events until the answer comes, at most
  // a few seconds.
  std::optional<PageDocument> Document() override;
  void SetMode(BrowserMode mode) override;
  void SetBrowserPictures(bool on) override;
  void SetCrawlScripts(bool on) override;
  // Scrolls in the page's own scroll events; pumps events all the while.
  void SettlePage(const std::function<bool()>& stopRequested) override;
  void SetSettleLimits(SettleLimits limits);
  // Each view ends once no picture was asked for within its quiet time, at its longest.
  void VisitFragmentViews(const std::function<bool()>& stopRequested) override;
  // A page of its own on the same profile, with the same limits and options.
  std::unique_ptr<PageBrowser> OpenPage() override;

 private:
  QWebEnginePage& LivePage() const;
  // The script's value, run in a world of its own; pumps events until it comes, the deadline
  // passes or stop() holds.
  std::optional<QVariant> Evaluate(const QString& script, EventPump::Clock::time_point deadline,
                                   const std::function<bool()>& stop = {});
  void CheckDocumentLoaded(QWebEnginePage& page);
  void OnNavigation(const QUrl& url, int type);
  void OnLoadingChanged(const QWebEngineLoadingInfo& info);

  QPointer<QWebEnginePage> mPage;
  // An extra page's hidden view, as large as the first page's: a page is laid out at its
  // view's size, and sizes the crawl reads (an image as wide as its column) depend on it.
  std::unique_ptr<QWebEngineView> mOwnView;
  SnapshotLimits mLimits;
  // Lives as long as the browser: the page may be destroyed by others, and it must not
  // outlive its interceptor.
  std::unique_ptr<PictureRequestRecorder> mRecorder;
  QString mSnapshotScript;  // %4 left for whether browser pictures are read
  BrowserMode mMode = BrowserMode::Crawl;
  bool mBrowserPictures = false;
  bool mCrawlScripts = false;
  SettleLimits mSettleLimits;
  QtEventPump mPump;
  // No loading report has named the last Navigate's address (or where it was redirected) yet.
  bool mAwaitingStart = false;
  QSet<QString> mAwaitedUrls;
  bool mLoading = false;  // within a loading period of the page
  int mNavigation = 0;    // Navigates so far

  struct LoadCheck {
    bool Pending = false;
    int LoadedNavigation = 0;  // the Navigate whose document was found complete
  };
  // Shared with the check's callback, which may come after the browser is gone.
  std::shared_ptr<LoadCheck> mLoadCheck = std::make_shared<LoadCheck>();
  std::optional<EventPump::Clock::time_point> mNextLoadCheck;  // none: at the next look
};

}  // namespace vexilo
