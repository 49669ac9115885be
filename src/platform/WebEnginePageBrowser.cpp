#include "platform/WebEnginePageBrowser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QScopeGuard>
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

#include "platform/PictureRequestRecorder.h"

namespace vexilo {
namespace {

constexpr auto kLongestDocumentWait = std::chrono::seconds(10);
constexpr auto kLoadCheckInterval = std::chrono::milliseconds(250);
constexpr int kReadyStateLoading = 1;

// Returns [[link href...], [[image src, width, height]...]], each list cut to the limits
// (%1 longest href, %2 items, %3 characters) already in the page, before any of it is copied.
// An image with a missing or blank src is left out: its src property is the page's own
// address (or nothing), and the page would be queued as a picture.
// With browser pictures (%4) each image also gives [linked picture, largest candidate, lazy
// source, full size, the src the browser chose] and is kept when any of its addresses is; a third
// list holds, in that form, the CSS backgrounds (and data-bg ones), the images of same-origin
// frames, lightbox items without an image and the pictures the page names in metas, microdata and
// JSON-LD. Every address counts towards the limits.
constexpr const char* kSnapshotScript = R"JS(
(function (maxLength, maxItems, maxText, browserPictures) {
  var kMostStyledElements = 20000, kDeepestFrame = 3, kDeepestStructure = 20;
  function collect(elements, entryOf) {
    var list = [], text = 0, i, entry;
    for (i = 0; i < elements.length && list.length < maxItems; i++) {
      entry = entryOf(elements[i]);
      if (!entry) continue;
      if (text + entry.size > maxText) break;
      text += entry.size;
      list.push(entry.value);
    }
    return list;
  }
  function fitting(value) {
    value = value ? String(value) : '';
    return value.length > maxLength ? '' : value;
  }
  function sourceOf(e) {
    var given = e.getAttribute('src');
    return given && given.trim() ? fitting(e.src) : '';
  }
  var links = collect(document.links, function (e) {
    var href = fitting(e.href);
    return href ? {size: href.length, value: href} : null;
  });
  if (!browserPictures) {
    return [links, collect(document.images, function (e) {
      var href = sourceOf(e);
      return href ? {size: href.length, value: [href, e.width | 0, e.height | 0]} : null;
    })];
  }

  function absolute(address, e) {
    address = address ? String(address).trim() : '';
    if (!address || /^data:/i.test(address)) return '';
    try { return new URL(address, e.baseURI).href; } catch (err) { return ''; }
  }
  function namingPicture(href) {
    try {
      return href && /\.(jpe?g|png|gif|webp|avif|bmp)$/i.test(new URL(href).pathname) ? href : '';
    } catch (err) { return ''; }
  }
  // The full-size picture a lightbox shows for the item that holds from (from included):
  // its own attribute, else the picture an enclosing link or item names.
  function linkedPicture(from) {
    var item = from ? from.closest('[data-pswp-src]') : null, href, link;
    href = item ? absolute(item.getAttribute('data-pswp-src'), item) : '';
    if (href) return href;
    item = from ? from.closest('[data-download-url], [data-src]') : null;
    if (item) {
      href = namingPicture(absolute(item.getAttribute('data-download-url'), item)) ||
             namingPicture(absolute(item.getAttribute('data-src'), item));
      if (href) return href;
    }
    link = from ? from.closest('a[href]') : null;
    return link ? namingPicture(absolute(link.getAttribute('href'), link)) : '';
  }
  // The attributes that zoom plugins and a common blogging platform give the largest copy
  // in, largest first.
  function fullSize(e) {
    var names = ['data-orig-file', 'data-full', 'data-hires', 'data-zoom-image',
                 'data-large-file', 'data-large'], i, href;
    for (i = 0; i < names.length; i++) {
      href = absolute(e.getAttribute(names[i]), e);
      if (href) return href;
    }
    return '';
  }
  function isSpace(c) { return c === ' ' || c === '\t' || c === '\n' || c === '\r' || c === '\f'; }
  // The srcset candidate with the largest w descriptor, else the largest density, into best;
  // one too long to keep is no candidate.
  function addCandidates(best, srcset, e) {
    var s = srcset ? String(srcset) : '', n = Math.min(s.length, maxText), at = 0;
    var start, url, descriptor, href, w, x;
    while (at < n) {
      while (at < n && (isSpace(s[at]) || s[at] === ',')) at++;
      start = at;
      while (at < n && !isSpace(s[at])) at++;
      url = s.slice(start, at);
      descriptor = '';
      if (url.charAt(url.length - 1) === ',') {
        url = url.replace(/,+$/, '');
      } else {
        start = at;
        while (at < n && s[at] !== ',') at++;
        descriptor = s.slice(start, at);
      }
      href = fitting(absolute(url, e));
      if (!href) continue;
      w = -1; x = 1;
      descriptor.trim().split(/\s+/).forEach(function (token) {
        var m = /^(\d+)w$/i.exec(token);
        if (m) w = +m[1];
        m = /^(\d*\.?\d+)x$/i.exec(token);
        if (m) x = +m[1];
      });
      if (w > best.w || (w < 0 && best.w < 0 && x > best.x)) {
        best.w = w; best.x = x; best.href = href;
      }
    }
  }
  function largestCandidate(e) {
    var best = {href: '', w: -1, x: -1}, parent = e.parentElement, i, child;
    if (parent && parent.localName === 'picture') {
      for (i = 0; i < parent.children.length; i++) {
        child = parent.children[i];
        if (child.localName !== 'source') continue;
        addCandidates(best, child.getAttribute('srcset'), child);
        addCandidates(best, child.getAttribute('data-srcset'), child);
      }
    }
    addCandidates(best, e.getAttribute('srcset'), e);
    addCandidates(best, e.getAttribute('data-srcset'), e);
    return best.href;
  }
  function lazySource(e) {
    var names = ['data-src', 'data-original', 'data-lazy-src'], i, href;
    for (i = 0; i < names.length; i++) {
      href = absolute(e.getAttribute(names[i]), e);
      if (href) return href;
    }
    return '';
  }
  function entry(fields) {
    var size = fields[0].length + fields[3].length + fields[4].length + fields[5].length +
               fields[6].length + fields[7].length;
    return size ? {size: size, value: fields} : null;
  }
  // The image's own data-src is its lazy source, not a lightbox item's.
  function imageEntry(e) {
    return entry([sourceOf(e), e.width | 0, e.height | 0, fitting(linkedPicture(e.parentElement)),
                  fitting(largestCandidate(e)), fitting(lazySource(e)), fitting(fullSize(e)),
                  fitting(absolute(e.currentSrc, e))]);
  }
  function addressEntry(href) { return entry([fitting(href), 0, 0, '', '', '', '', '']); }
  function backgrounds(into) {
    var elements = document.querySelectorAll('*'), i, style, pattern, m, href;
    for (i = 0; i < elements.length && i < kMostStyledElements && into.length < maxItems; i++) {
      style = getComputedStyle(elements[i]).backgroundImage;
      if (!style || style === 'none') continue;
      pattern = /url\(\s*(?:"((?:[^"\\]|\\.)*)"|'((?:[^'\\]|\\.)*)'|([^)\s]*))\s*\)/g;
      while ((m = pattern.exec(style)) && into.length < maxItems) {
        href = absolute(String(m[1] || m[2] || m[3] || '').replace(/\\(.)/g, '$1'), elements[i]);
        if (href) into.push({element: elements[i], background: href});
      }
    }
  }
  // Backgrounds that a lazy loader sets once the element is in view.
  function lazyBackgrounds(into) {
    var elements = document.querySelectorAll('[data-bg]'), i, href;
    for (i = 0; i < elements.length && into.length < maxItems; i++) {
      href = absolute(elements[i].getAttribute('data-bg'), elements[i]);
      if (href) into.push({element: elements[i], background: href});
    }
  }
  function frameImages(doc, depth, into) {
    var frames = doc.querySelectorAll('iframe, frame'), i, j, inner;
    for (i = 0; i < frames.length && into.length < maxItems; i++) {
      try { inner = frames[i].contentDocument; } catch (err) { inner = null; }
      if (!inner) continue;
      for (j = 0; j < inner.images.length && into.length < maxItems; j++) {
        into.push({element: inner.images[j]});
      }
      if (depth < kDeepestFrame) frameImages(inner, depth + 1, into);
    }
  }
  // Lightbox items with no image in them: text links and items with a CSS thumbnail.
  function lightboxItems(into) {
    var items = document.querySelectorAll(
        '[data-pswp-src], [data-fancybox], [data-lightbox], a.glightbox, a[rel^="lightbox"], ' +
        '[data-download-url]'), i, href;
    for (i = 0; i < items.length && into.length < maxItems; i++) {
      if (items[i].querySelector('img')) continue;
      href = linkedPicture(items[i]);
      if (href) into.push({address: href});
    }
  }
  function addStructured(value, depth, into) {
    var i, type, url;
    if (!value || typeof value !== 'object' || depth > kDeepestStructure) return;
    if (Array.isArray(value)) {
      for (i = 0; i < value.length && into.length < maxItems; i++) {
        addStructured(value[i], depth + 1, into);
      }
      return;
    }
    type = [].concat(value['@type'] || []);
    if (type.indexOf('ImageObject') >= 0) {
      [].concat(value.contentUrl || []).forEach(function (address) {
        url = typeof address === 'string' ? absolute(address, document.body || document) : '';
        if (url && into.length < maxItems) into.push({address: url});
      });
    }
    for (i in value) {
      if (Object.prototype.hasOwnProperty.call(value, i)) addStructured(value[i], depth + 1, into);
    }
  }
  // The pictures the page names for itself: metas, microdata and JSON-LD image objects.
  function pageWidePictures(into) {
    var named = document.querySelectorAll(
        'meta[property="og:image"], meta[property="og:image:url"], ' +
        'meta[property="og:image:secure_url"], meta[name="twitter:image"], ' +
        'meta[name="twitter:image:src"], meta[property="twitter:image"], ' +
        '[itemprop="contentUrl"]'), i, e, href, scripts, text;
    for (i = 0; i < named.length && into.length < maxItems; i++) {
      e = named[i];
      if (e.localName === 'img') continue;  // an image element of its own
      href = absolute(e.getAttribute('content') || e.getAttribute('href') ||
                      e.getAttribute('src'), e);
      if (href) into.push({address: href});
    }
    scripts = document.querySelectorAll('script[type="application/ld+json"]');
    for (i = 0; i < scripts.length && into.length < maxItems; i++) {
      text = scripts[i].textContent || '';
      if (text.length > maxText) continue;
      try { addStructured(JSON.parse(text), 0, into); } catch (err) {}
    }
  }
  var extras = [];
  backgrounds(extras);
  lazyBackgrounds(extras);
  frameImages(document, 1, extras);
  lightboxItems(extras);
  pageWidePictures(extras);
  return [links, collect(document.images, imageEntry), collect(extras, function (item) {
    if (item.address) return addressEntry(item.address);
    if (!item.background) return imageEntry(item.element);
    return entry([fitting(item.background), item.element.offsetWidth | 0,
                  item.element.offsetHeight | 0, '', '', '', '', '']);
  })];
})(%1, %2, %3, %4)
)JS";

// Scrolls to the end of the page and returns its height then.
constexpr const char* kScrollToEndScript = R"JS(
(function () {
  var root = document.scrollingElement || document.documentElement;
  if (!root) return -1;
  window.scrollTo(0, root.scrollHeight);
  return root.scrollHeight;
})()
)JS";

constexpr const char* kHeightScript =
    "(document.scrollingElement || document.documentElement || {scrollHeight: -1}).scrollHeight";

constexpr const char* kLoadStateScript = "[location.href, document.readyState]";

constexpr int kMostFragmentViews = 200;
// A page whose first views ask for no picture is no viewer: its links to itself are the
// "#top" and "#content" kind, and each view would cost its quiet time.
constexpr int kMostViewsAskingNothing = 5;
constexpr auto kViewQuietTime = std::chrono::milliseconds(300);
constexpr auto kLongestView = std::chrono::seconds(2);

// The fragments ("#name", not "#") of the links to this very page, in document order, each
// once, at most %1.
constexpr const char* kFragmentViewsScript = R"JS(
(function (most) {
  var here = location.href.split('#')[0], seen = {}, views = [], i, href, at, hash;
  for (i = 0; i < document.links.length && views.length < most; i++) {
    href = String(document.links[i].href);
    at = href.indexOf('#');
    if (at < 0 || href.slice(0, at) !== here) continue;
    hash = href.slice(at);
    if (hash.length < 2 || seen[hash]) continue;
    seen[hash] = true;
    views.push(hash);
  }
  return views;
})(%1)
)JS";

// Shows the view of the fragment in %1 (a JSON array of it) as a click on its link would.
constexpr const char* kShowViewScript = "location.hash = %1[0]; true";

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

void AppendImages(const QVariant& list, std::vector<PageImage>& images) {
  for (const QVariant& image : list.toList()) {
    QVariantList fields = image.toList();
    if (fields.size() != 3 && fields.size() != 8) continue;
    images.push_back({ToText(fields[0]), ToSize(fields[1]), ToSize(fields[2])});
    if (fields.size() == 8) {
      images.back().LinkedPicture = ToText(fields[3]);
      images.back().LargestCandidate = ToText(fields[4]);
      images.back().LazySource = ToText(fields[5]);
      images.back().FullSize = ToText(fields[6]);
      images.back().Shown = ToText(fields[7]);
    }
  }
}

std::optional<PageDocument> ToDocument(const QVariant& result) {
  QVariantList parts = result.toList();
  if (parts.size() != 2 && parts.size() != 3) return std::nullopt;
  PageDocument document;
  for (const QVariant& link : parts[0].toList()) document.Links.push_back(ToText(link));
  AppendImages(parts[1], document.Images);
  if (parts.size() == 3) AppendImages(parts[2], document.ExtraImages);
  return document;
}

}  // namespace

WebEnginePageBrowser::WebEnginePageBrowser(QWebEngineProfile* profile, SnapshotLimits limits)
    : mPage(new CrawlPage(profile != nullptr ? profile : QWebEngineProfile::defaultProfile(),
                          [this](const QUrl& url, QWebEnginePage::NavigationType type) {
                            OnNavigation(url, type);
                          })),
      mLimits(limits),
      mRecorder(std::make_unique<PictureRequestRecorder>(limits)),
      mSnapshotScript(QString::fromLatin1(kSnapshotScript)
                          .arg(limits.MaxHrefLength)
                          .arg(limits.MaxItems)
                          .arg(limits.MaxText)) {
  QWebEngineSettings* settings = mPage->settings();
  // A failed load leaves an empty document rather than an error page with links of its own.
  settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  mPage->setUrlRequestInterceptor(mRecorder.get());
  SetMode(BrowserMode::Crawl);
  QObject::connect(mPage, &QWebEnginePage::loadingChanged, mPage,
                   [this](const QWebEngineLoadingInfo& info) { OnLoadingChanged(info); });
  QObject::connect(mPage, &QWebEnginePage::renderProcessTerminated, mPage,
                   [this] { mLoading = false; });
}

// Whoever destroyed the page first, it is destroyed once.
WebEnginePageBrowser::~WebEnginePageBrowser() {
  mOwnView.reset();
  delete mPage.data();
}

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
  mRecorder->Clear();
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
  if (mLoadCheck->Pending || (mNextLoadCheck && mPump.Now() < *mNextLoadCheck)) return;
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

std::optional<QVariant> WebEnginePageBrowser::Evaluate(const QString& script,
                                                       EventPump::Clock::time_point deadline,
                                                       const std::function<bool()>& stop) {
  struct Answer {
    bool Arrived = false;
    QVariant Value;
  };
  // The callback may come after this returns (or never): it keeps the answer alive itself.
  auto answer = std::make_shared<Answer>();
  LivePage().runJavaScript(script, QWebEngineScript::ApplicationWorld,
                           [answer](const QVariant& value) {
                             answer->Arrived = true;
                             answer->Value = value;
                           });
  while (!answer->Arrived && !mPage.isNull() && mPump.Now() < deadline && !(stop && stop())) {
    mPump.ProcessEvents();
  }
  if (!answer->Arrived) return std::nullopt;
  return answer->Value;
}

std::optional<PageDocument> WebEnginePageBrowser::Document() {
  const QString script =
      mSnapshotScript.arg(mBrowserPictures ? QLatin1String("true") : QLatin1String("false"));
  std::optional<QVariant> answer = Evaluate(script, mPump.Now() + kLongestDocumentWait);
  if (!answer) return std::nullopt;
  std::optional<PageDocument> document = ToDocument(*answer);
  if (document) {
    for (const std::string& address : mRecorder->Addresses()) {
      document->RequestedImages.push_back({address});
    }
  }
  return document;
}

void WebEnginePageBrowser::SetMode(BrowserMode mode) {
  mMode = mode;
  const bool logon = mode == BrowserMode::Logon;
  QWebEngineSettings* settings = LivePage().settings();
  settings->setAttribute(QWebEngineSettings::JavascriptEnabled, logon || mCrawlScripts);
  // With crawl scripts the page asks for its pictures, and the recorder blocks every one.
  settings->setAttribute(QWebEngineSettings::AutoLoadImages, logon || mCrawlScripts);
  mRecorder->SetRecording(!logon && mCrawlScripts);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, logon);
  settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, logon);
}

void WebEnginePageBrowser::SetBrowserPictures(bool on) { mBrowserPictures = on; }

void WebEnginePageBrowser::SetCrawlScripts(bool on) {
  mCrawlScripts = on;
  SetMode(mMode);
}

void WebEnginePageBrowser::SetSettleLimits(SettleLimits limits) { mSettleLimits = limits; }

void WebEnginePageBrowser::SettlePage(const std::function<bool()>& stopRequested) {
  const auto deadline = mPump.Now() + mSettleLimits.Longest;
  const QString scroll = QString::fromLatin1(kScrollToEndScript);
  const QString height = QString::fromLatin1(kHeightScript);
  // A hidden page gets its timers slowed to one a second: a gallery that adds its pictures
  // in a timer after the scroll would grow a picture a second.
  const bool wasVisible = LivePage().isVisible();
  LivePage().setVisible(true);
  const auto restore = qScopeGuard([&] {
    if (!mPage.isNull()) mPage->setVisible(wasVisible);
  });
  for (int step = 0; step < mSettleLimits.MostSteps; ++step) {
    std::optional<QVariant> before = Evaluate(scroll, deadline, stopRequested);
    if (!before || before->toLongLong() < 0) return;
    // The page grows as its scripts answer the scroll, which may take them a while (a fetch).
    const auto stepEnd = std::min(deadline, mPump.Now() + mSettleLimits.GrowthWait);
    bool grew = false;
    while (!grew && mPump.Now() < stepEnd && !stopRequested()) {
      mPump.ProcessEvents();
      std::optional<QVariant> now = Evaluate(height, stepEnd, stopRequested);
      grew = now && now->toLongLong() > before->toLongLong();
    }
    if (!grew) return;
  }
}

void WebEnginePageBrowser::VisitFragmentViews(const std::function<bool()>& stopRequested) {
  if (mMode != BrowserMode::Crawl || !mCrawlScripts) return;
  const auto listed = Evaluate(QString::fromLatin1(kFragmentViewsScript).arg(kMostFragmentViews),
                               mPump.Now() + kLongestDocumentWait, stopRequested);
  if (!listed) return;
  // As in SettlePage: a hidden page's timers are slowed down.
  const bool wasVisible = LivePage().isVisible();
  LivePage().setVisible(true);
  const auto restore = qScopeGuard([&] {
    if (!mPage.isNull()) mPage->setVisible(wasVisible);
  });
  int askingNothing = 0;
  for (const QVariant& view : listed->toList()) {
    if (stopRequested() || mPage.isNull() || askingNothing == kMostViewsAskingNothing) return;
    const std::size_t askedBefore = mRecorder->Asked();
    const auto start = mPump.Now();
    const QByteArray fragment =
        QJsonDocument(QJsonArray{view.toString()}).toJson(QJsonDocument::Compact);
    if (!Evaluate(QString::fromLatin1(kShowViewScript).arg(QString::fromUtf8(fragment)),
                  start + kLongestView, stopRequested)) {
      continue;
    }
    std::size_t asked = mRecorder->Asked();
    auto lastAsked = mPump.Now();
    while (!stopRequested() && !mPage.isNull() && mPump.Now() - lastAsked < kViewQuietTime &&
           mPump.Now() - start < kLongestView) {
      mPump.ProcessEvents();
      if (mRecorder->Asked() != asked) {
        asked = mRecorder->Asked();
        lastAsked = mPump.Now();
      }
    }
    askingNothing = asked == askedBefore ? askingNothing + 1 : 0;
  }
}

std::unique_ptr<PageBrowser> WebEnginePageBrowser::OpenPage() {
  auto page = std::make_unique<WebEnginePageBrowser>(LivePage().profile(), mLimits);
  page->SetBrowserPictures(mBrowserPictures);
  page->SetCrawlScripts(mCrawlScripts);
  page->SetSettleLimits(mSettleLimits);
  if (const QWebEngineView* view = QWebEngineView::forPage(&LivePage())) {
    page->mOwnView = std::make_unique<QWebEngineView>();
    page->mOwnView->setPage(page->Page());
    page->mOwnView->resize(view->size());
  }
  return page;
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
    // What the page before asked for while it was still there.
    mRecorder->Clear();
  }
  // The page reports loading periods: a Navigate during a load starts no new one, and the
  // period ends with the last load's address.
  mLoading = info.status() == QWebEngineLoadingInfo::LoadStartedStatus;
}

}  // namespace vexilo
