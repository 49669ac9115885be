#pragma once
// Sees every request of one page: while recording, the picture requests (images, and fetches,
// XHRs, objects and prefetches whose path ends in a picture extension) are noted and blocked, so
// that the crawl learns what a page's scripts show without the browser transferring any picture.
// Main thread only: WebEngine asks the interceptor on the UI thread.

#include <QSet>
#include <QString>
#include <QWebEngineUrlRequestInterceptor>
#include <string>
#include <vector>

#include "crawler/PageBrowser.h"

namespace vexilo {

class PictureRequestRecorder : public QWebEngineUrlRequestInterceptor {
 public:
  // The addresses kept stay within limits, as a snapshot does.
  explicit PictureRequestRecorder(SnapshotLimits limits) : mLimits(limits) {}

  void SetRecording(bool on) { mRecording = on; }
  // Forgets the addresses noted so far.
  void Clear();
  // The http and https picture addresses asked for since the last Clear, in the order
  // first asked, each once.
  const std::vector<std::string>& Addresses() const { return mAddresses; }
  // Picture requests blocked while recording, asked again or not kept ones too.
  std::size_t Asked() const { return mAsked; }

  void interceptRequest(QWebEngineUrlRequestInfo& info) override;

 private:
  void Note(const QUrl& url);

  SnapshotLimits mLimits;
  bool mRecording = false;
  std::vector<std::string> mAddresses;
  QSet<QString> mNoted;
  std::size_t mText = 0;  // characters of mAddresses
  std::size_t mAsked = 0;
};

}  // namespace vexilo
