#pragma once
// The options of File > Advanced Settings, kept beside the application settings in the same
// store. Where they change what a crawl or a folder listing gives, they are off by default,
// so that a task behaves as it always did until the user turns one on.

namespace vexilo {

struct AdvancedSettings {
  // The folder scan lists .png, .webp and .avif files, a picture keeps such an ending when
  // it is saved, and a file whose bytes are another picture kind than its name says is read
  // by its bytes.
  bool ListModernPictures = false;
  // Harvesting takes the picture a browser would show: the linked full-size picture, the
  // largest srcset candidate, lazy-loading attributes, CSS backgrounds, same-origin frames.
  bool BrowserPictures = false;
  // Pages run their scripts while crawling and are scrolled to their end before they are read.
  bool RunPageScripts = false;
  // The minimum width and height compare the size read from the picture's first bytes.
  bool RealSizeFilter = false;
  // JPEGs are shown turned the way their camera's orientation tag says.
  bool ExifOrientation = true;
  // A downloaded picture whose bytes equal one already in the task is removed again.
  bool KeepOneCopy = false;
  // Of the pictures of a task that are one photo at other sizes or encodings only the one with
  // the most pixels stays: a smaller copy is removed again, a larger one takes its place.
  bool KeepLargestCopy = false;
  // A picture another task has (by the picture archive: its address, or after the download
  // its content) is not downloaded or kept.
  bool NeverTwiceAcrossTasks = false;
  // Downloads follow up to 5 redirections, from http to https but never back, and the
  // picture list shows the address they end at.
  bool FollowRedirects = false;
  // A download that brings an error status or no picture of a known kind is deleted.
  bool KeepOnlyRealPictures = false;
  // A downloaded picture's file takes the server's Last-Modified as its modification time.
  bool ServerDate = false;
  // The browser keeps its cookies between runs, and picture requests carry the browser's
  // cookies, its user agent and the picture's page as Referer.
  bool BrowserSession = false;
  // A download that failed for a passing reason (no connection, time-out, 408, 429, 5xx) is
  // fetched again, up to three more times, after growing waits.
  bool RetryFailed = false;
  // robots.txt is honoured for pages and pictures, one server gets a request at most about
  // once a second, a server's Retry-After pauses it, and DownloadKBps caps the downloads.
  bool CrawlPolitely = false;
  // With CrawlPolitely: KB a second for all downloads together; 0 for no cap.
  static constexpr int kMostDownloadKBps = 1000000;
  int DownloadKBps = 0;
  // The Delete key of the viewer and the grid moves pictures to the Trash without asking.
  bool TrashWithoutAsking = false;
  // How many pages of a level past the starting page the crawl loads at once; they are
  // still read in the level's order, so the crawl gives what one page at a time gives.
  static constexpr int kFewestPagesAtOnce = 1;
  static constexpr int kMostPagesAtOnce = 16;
  int PagesAtOnce = 4;
  // The viewer's slide show: seconds a picture, and whether the order is shuffled.
  static constexpr int kFewestSlideSeconds = 1;
  static constexpr int kMostSlideSeconds = 600;
  int SlideSeconds = 4;
  bool ShuffleSlides = false;

  bool operator==(const AdvancedSettings&) const = default;

  // The defaults, for whoever is built without the run's settings.
  static const AdvancedSettings& Defaults() {
    static const AdvancedSettings defaults;
    return defaults;
  }
};

}  // namespace vexilo
