#pragma once
// The embedded browser as the crawl sees it: load an address, watch it load, read the
// address it ended on and a snapshot of its links and images. Main thread only; the browser
// makes progress only while the caller runs pending events.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vexilo {

struct PageImage {
  std::string Href;  // the full address of the picture; empty when the element has no src
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  // Read only for browser pictures, all absolute, empty when the element has none:
  // What a lightbox shows: data-pswp-src of an enclosing item, else a picture named by an
  // enclosing item's data-download-url or data-src, else by an enclosing link's target.
  std::string LinkedPicture{};
  std::string LargestCandidate{};  // the widest (else densest) srcset, data-srcset or source one
  std::string LazySource{};        // data-src, data-original or data-lazy-src
  // data-orig-file, data-full, data-hires, data-zoom-image, data-large-file or data-large
  std::string FullSize{};
  std::string Shown{};  // the address the browser chose to show (currentSrc)

  bool operator==(const PageImage&) const = default;
};

// The most one snapshot holds of each list, so that a page cannot make it huge: a <base> of
// megabytes gives every relative link that length, however small the page is. A list ends
// at the first href that would pass MaxItems or MaxText.
struct SnapshotLimits {
  std::size_t MaxHrefLength = 8 * 1024;  // a longer href is left out: no server takes it
  std::size_t MaxItems = 200000;
  std::size_t MaxText = 16 * 1024 * 1024;  // characters of all the hrefs kept
};

// A copy of what the document held when it was read; later loading does not change it.
struct PageDocument {
  std::vector<std::string> Links;  // every link's href (anchors and areas), absolute
  std::vector<PageImage> Images;   // every image element, in document order
  // Read only for browser pictures: CSS background pictures of elements (sized as their
  // element, data-bg ones too), the images of same-origin frames, the pictures of lightbox
  // items that hold no image, then those named by og:image and twitter:image metas,
  // itemprop="contentUrl" and JSON-LD ImageObjects (no size).
  std::vector<PageImage> ExtraImages{};
  // Read only with crawl scripts: the http and https pictures the page asked for (the browser
  // fetched none of them), in the order first asked, each once; only Href is known.
  std::vector<PageImage> RequestedImages{};

  bool operator==(const PageDocument&) const = default;
};

enum class BrowserMode {
  Crawl,  // only documents are fetched: no plugins or pictures, scripts only if asked for
  Logon,  // a normal page for a person to log on with
};

class PageBrowser {
 public:
  static constexpr int kReadyStateComplete = 4;

  virtual ~PageBrowser() = default;
  // Starts loading and returns at once. The ready state from here on is that of this load.
  virtual void Navigate(const std::string& address) = 0;
  virtual void Stop() = 0;
  // kReadyStateComplete once the last Navigate (and any redirect it led to) has loaded.
  virtual int ReadyState() = 0;
  // The current address, after any redirect.
  virtual std::string LocationURL() = 0;
  // The document as it stands, within the browser's SnapshotLimits, or std::nullopt when
  // there is none to read.
  virtual std::optional<PageDocument> Document() = 0;
  // Applies from the next page on.
  virtual void SetMode(BrowserMode mode) = 0;

  // Document() also reads what a browser would show for each image, CSS backgrounds and
  // same-origin frames. A browser that cannot, ignores it.
  virtual void SetBrowserPictures(bool /*on*/) {}
  // Crawl mode runs page scripts; the pictures they ask for are recorded for Document() but
  // not fetched. Applies from the next page on.
  virtual void SetCrawlScripts(bool /*on*/) {}
  // Scrolls the page to its end step by step until it stops growing, so that what its
  // scripts build on scrolling is there for Document(); returns early once stopRequested().
  virtual void SettlePage(const std::function<bool()>& /*stopRequested*/) {}
  // With crawl scripts: shows in place each view that the page's links to its own fragments
  // ("#name") name, in document order, so that the pictures a viewer asks for in each are
  // recorded for Document(); a page whose first views ask for nothing is no viewer. The views
  // are not pages. Returns early once stopRequested().
  virtual void VisitFragmentViews(const std::function<bool()>& /*stopRequested*/) {}
  // Another page of the same browser and profile, to load beside this one: in crawl mode,
  // with this page's browser-picture and crawl-script choices. Null when the browser has
  // only the one page; the crawl then loads one page at a time.
  virtual std::unique_ptr<PageBrowser> OpenPage() { return nullptr; }
};

}  // namespace vexilo
