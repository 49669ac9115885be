#pragma once
// What one picture download needs: the address, where to save it, and copies of the
// credential, proxy and advanced settings taken when the download was handed out.

#include <chrono>
#include <cstdint>
#include <string>

#include "core/Clock.h"

namespace vexilo {

struct DownloadRequest {
  std::string Url;
  std::string SavePath;
  // Left empty for a picture off the task's own site. Sent only when not empty, and never
  // to another host, port or scheme that a redirection leads to.
  std::string UserName;
  std::string Password;     // sent only together with a user name
  std::string ProxyServer;  // the proxy is used only when both of these are set
  std::string ProxyPort;    // decimal text; anything but a port number means 80
  // Up to kMostRedirects redirections are followed, from http to https but never back.
  bool FollowRedirects = false;
  // A body that is not a whole 2xx picture of a known kind is deleted, not kept.
  bool KeepOnlyRealPictures = false;
  // With the browser's session, copied on the main thread; each is sent only when not empty.
  std::string Cookie{};     // the Cookie header's value
  std::string Referer{};    // the page the picture was found on
  std::string UserAgent{};  // the browser's, in place of the downloader's own
  // The page the picture was found on, or empty: kept with the saved file (PictureOrigin.h).
  std::string Page{};
  // The saved file takes the response's Last-Modified as its modification time.
  bool ServerDate = false;
};

constexpr long kMostRedirects = 5;

// No picture is this large; a server sending more is broken or hostile and would fill the disk.
constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{1} << 30;

// When a transfer is given up. Tests shorten them.
struct TransferLimits {
  std::chrono::milliseconds ConnectTimeout{30000};
  // A transfer slower than 1 byte a second for this long is abandoned (whole seconds).
  std::chrono::seconds StallTime{60};
  // A body past this many bytes fails the download and its file is deleted.
  std::uint64_t MaxBodyBytes = kMaxPictureBytes;
  // A transfer that brings fewer than MinAverageRate bytes a second, averaged over each
  // RateWindow since it began, is abandoned: a trickle would hold its slot for ever.
  std::uint64_t MinAverageRate = 1024;
  std::chrono::milliseconds RateWindow{60000};
  // No picture may hold its slot longer than this, however steadily its bytes come.
  std::chrono::milliseconds TotalTime{10 * 60 * 1000};
  // What the rate floor measures against; must outlive the transfers.
  const Clock* Time = &SteadyClock();
  // What a server's date is judged against; must outlive the transfers.
  const WallClock* Calendar = &SystemWallClock();
};

}  // namespace vexilo
