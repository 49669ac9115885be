#include "platform/WebEnginePageBrowser.h"

#include <QVariant>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <algorithm>
#include <chrono>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>

namespace vexilo {
namespace {

constexpr auto kLongestDocumentWait = std::chrono::seconds(10);
constexpr auto kLoadCheckInterval = std::chrono::milliseconds(250);
constexpr int kReadyStateLoading = 1;

// Returns [[link href...], [[image src, width, height]...]], each list cut to the limits
// (%1 longest href, %2 items, %3 characters) already in the page, before any of it is copied.
// An image with a missing or blank src is left out: its src property is the page's own
// address (or nothing), and the page would be queued as a picture.
constexpr const char* kSnapshotScript = R"JS(
(function (maxLength, maxItems, maxText) {
  function collect(elements, hrefOf, entryOf) {
    var list = [], text = 0, i, href;
    for (i = 0; i < elements.length && list.length < maxItems; i++) {
      href = String(hrefOf(elements[i]));
      if (!href || href.length > maxLength) continue;
      if (text + href.length > maxText) break;
      text += href.length;
      list.push(entryOf(href, elements[i]));
    }
    return list;
  }
  var links = collect(document.links, function (e) { return e.href; },
                      function (href) { return href; });
  var images = collect(document.images,
                       function (e) {
                         var given = e.getAttribute('src');
                         return given && given.trim() ? e.src : '';
                       },
                       function (href, e) { return [href, e.width | 0, e.height | 0]; });
  return [links, images];
})(%1, %2, %3)
)JS";

constexpr const char* kLoadStateScript = "[location.href, document.readyState]";

// A page that opens no windows, shows no script dialogs and tells of every main-frame
// navigation it starts.
class CrawlPage : public QWebEnginePage {
 public:
  using NavigationHandler = std::function<void(const QUrl&, NavigationType)>;

  CrawlPage(QWebEngineProfile* profile, NavigationHandler onNavigation)
      : QWebEnginePage(profile), mOnNavigation(std::move(onNavigation)) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    if (isMainFrame) mOnNavigation(url, type);
    return true;
  }
  QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
  void javaScriptAlert(const QUrl&, const QString&) override {}
  bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
  bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
    return false;
  }

 private:
  NavigationHandler mOnNavigation;
};

// The form in which an address the page was sent to and the address a loading report names
// are compared.
QString Comparable(const QUrl& url) {
  QUrl comparable = url.adjusted(QUrl::NormalizePathSegments | QUrl::StripTrailingSlash);
  const bool defaultPort =
      (comparable.scheme() == QLatin1String("http") && comparable.port() == 80) ||
      (comparable.scheme() == QLatin1String("https") && comparable.port() == 443);
  if (defaultPort) comparable.setPort(-1);
  return comparable.toString(QUrl::FullyEncoded);
}

std::string ToText(const QVariant& value) { return value.toString().toStdString(); }

std::int32_t ToSize(const QVariant& value) {
  qlonglong size = value.toLongLong();
  if (size < 0) return 0;
  return static_cast<std::int32_t>(
      std::min<qlonglong>(size, std::numeric_limits<std::int32_t>::max()));
}

std::optional<PageDocument> ToDocument(const QVariant& result) {
  QVariantList parts = result.toList();
  if (parts.size() != 2) return std::nullopt;
  PageDocument document;
  for (const QVariant& link : parts[0].toList()) document.Links.push_back(ToText(link));
  for (const QVariant& image : parts[1].toList()) {
    QVariantList fields = image.toList();
    if (fields.size() != 3) continue;
    document.Images.push_back({ToText(fields[0]), ToSize(fields[1]), ToSize(fields[2])});
  }
  return document;
}

}  // namespace

WebEnginePageBrowser::WebEnginePageBrowser(QWebEngineProfile* profile, SnapshotLimits limits)
    : mPage(new CrawlPage(profile != nullptr ? profile : QWebEngineProfile::defaultProfile(),
                          [this](const QUrl& url, QWebEnginePage::NavigationType type) {
                            OnNavigation(url, type);
                          })),
      mSnapshotScript(QString::fromLatin1(kSnapshotScript)
                          .arg(limits.MaxHrefLength)
                          .arg(limits.MaxItems)
                          .arg(limits.MaxText)) {
  QWebEngineSettings* settings = mPage->settings();
  // A failed load leaves an empty document rather than an error page with links of its own.
  settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  SetMode(BrowserMode::Crawl);
  QObject::connect(mPage, &QWebEnginePage::loadingChanged, mPage,
                   [this](const QWebEngineLoadingInfo& info) { OnLoadingChanged(info); });
  QObject::connect(mPage, &QWebEnginePage::renderProcessTerminated, mPage,
                   [this] { mLoading = false; });
}

// Whoever destroyed the page first, it is destroyed once.
WebEnginePageBrowser::~WebEnginePageBrowser() { delete mPage.data(); }

QWebEnginePage* WebEnginePageBrowser::Page() const { return mPage.data(); }

QWebEnginePage& WebEnginePageBrowser::LivePage() const {
  if (mPage.isNull()) throw std::runtime_error("The browser page is gone.");
  return *mPage;
}

void WebEnginePageBrowser::Navigate(const std::string& address) {
  QWebEnginePage& page = LivePage();
  QUrl url = QUrl::fromUserInput(QString::fromStdString(address));
  mAwaitingStart = true;
  mAwaitedUrls = {Comparable(url)};
  ++mNavigation;
  mNextLoadCheck = mPump.Now() + kLoadCheckInterval;
  page.load(url);
}

void WebEnginePageBrowser::Stop() { LivePage().triggerAction(QWebEnginePage::Stop); }

int WebEnginePageBrowser::ReadyState() {
  QWebEnginePage& page = LivePage();
  if (mAwaitingStart) {
    if (mLoadCheck->LoadedNavigation == mNavigation) {
      mAwaitingStart = false;
      mLoading = false;
    } else {
      CheckDocumentLoaded(page);
    }
  }
  return !mAwaitingStart && !mLoading ? kReadyStateComplete : kReadyStateLoading;
}

void WebEnginePageBrowser::CheckDocumentLoaded(QWebEnginePage& page) {
  // WebEngine does not always report a load that began while the one before was ending; the
  // document then tells itself, now and then, whether it is the awaited one and complete.
  if (mLoadCheck->Pending || mPump.Now() < mNextLoadCheck) return;
  mNextLoadCheck = mPump.Now() + kLoadCheckInterval;
  mLoadCheck->Pending = true;
  page.runJavaScript(QString::fromLatin1(kLoadStateScript), QWebEngineScript::ApplicationWorld,
                     [check = mLoadCheck, navigation = mNavigation,
                      awaited = mAwaitedUrls](const QVariant& value) {
                       check->Pending = false;
                       QVariantList parts = value.toList();
                       if (parts.size() == 2 && parts[1].toString() == QLatin1String("complete") &&
                           awaited.contains(Comparable(QUrl(parts[0].toString())))) {
                         check->LoadedNavigation = navigation;
                       }
                     });
}

std::string WebEnginePageBrowser::LocationURL() { return ToText(LivePage().url()); }

std::optional<PageDocument> WebEnginePageBrowser::Document() {
  struct Answer {
    bool Arrived = false;
    QVariant Value;
  };
  // The callback may come after this returns (or never): it keeps the answer alive itself.
  auto answer = std::make_shared<Answer>();
  LivePage().runJavaScript(mSnapshotScript, QWebEngineScript::ApplicationWorld,
                           [answer](const QVariant& value) {
                             answer->Arrived = true;
                             answer->Value = value;
                           });
  const auto deadline = mPump.Now() + kLongestDocumentWait;
  while (!answer->Arrived && !mPage.isNull() && mPump.Now() < deadline) mPump.ProcessEvents();
  if (!answer->Arrived) return std::nullopt;
  return ToDocument(answer->Value);
}

void WebEnginePageBrowser::SetMode(BrowserMode mode) {
  const bool logon = mode == BrowserMode::Logon;
  QWebEngineSettings* settings = LivePage().settings();
  settings->setAttribute(QWebEngineSettings::JavascriptEnabled, logon);
  settings->setAttribute(QWebEngineSettings::AutoLoadImages, logon);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, logon);
  settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, logon);
}

void WebEnginePageBrowser::OnNavigation(const QUrl& url, int type) {
  // The page's own spelling of the address, and where a redirect sends the load.
  if (mAwaitingStart && (type == QWebEnginePage::NavigationTypeTyped ||
                         type == QWebEnginePage::NavigationTypeRedirect)) {
    mAwaitedUrls.insert(Comparable(url));
  }
}

void WebEnginePageBrowser::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
  // Until a report names the last Navigate's address, the reports are about earlier loads
  // (a load that ends just after the next Navigate is reported then). Only a start begins the
  // awaited load: the stop of an earlier load of the same address (a resumed crawl goes back to
  // the page it was stopped on) is reported after the Navigate too. When no start is reported,
  // the document check finds the load.
  if (mAwaitingStart) {
    if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus ||
        !mAwaitedUrls.contains(Comparable(info.url()))) {
      return;
    }
    mAwaitingStart = false;
  }
  // The page reports loading periods: a Navigate during a load starts no new one, and the
  // period ends with the last load's address.
  mLoading = info.status() == QWebEngineLoadingInfo::LoadStartedStatus;
}

}  // namespace vexilo
