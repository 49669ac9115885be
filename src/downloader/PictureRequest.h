#pragma once
// Builds a picture's request from the main window's settings when it is handed out (a
// download or a size probe), so that the worker reads no main-thread data. Main thread.

#include <string>

#include "core/AppSettings.h"
#include "core/BrowserSession.h"
#include "downloader/DownloadRequest.h"

namespace vexilo {

// True when the picture at url lies on the site of the task started at startUrl: the last
// two labels of both hosts (with their ports) agree. Only such pictures get the server
// credentials of the settings; a page may point at any host.
bool OnTaskSite(const std::string& startUrl, const std::string& url);

// The request for url, found on page, of the task started at startUrl, saved at savePath.
// With AdvancedSettings::BrowserSession on and a session (null: none), it carries the
// session's cookies for url, its user agent and page as Referer, as the browser would.
DownloadRequest PictureRequest(const AppSettings& settings, const BrowserSession* session,
                               const std::string& startUrl, const std::string& url,
                               const std::string& page, const std::string& savePath);

}  // namespace vexilo
