#include "platform/PictureRequestRecorder.h"

#include <QUrl>
#include <QWebEngineUrlRequestInfo>

#include "pictures/PictureKind.h"

namespace vexilo {
namespace {

bool PathNamesPicture(const QUrl& url) {
  const std::string path = url.path(QUrl::FullyEncoded).toStdString();
  return IsJpegFile(path) || IsGifFile(path) || IsModernPictureName(path) ||
         PictureExtension(path) == ".bmp";
}

}  // namespace

void PictureRequestRecorder::Clear() {
  mAddresses.clear();
  mNoted.clear();
  mText = 0;
}

void PictureRequestRecorder::interceptRequest(QWebEngineUrlRequestInfo& info) {
  if (!mRecording) return;
  switch (info.resourceType()) {
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
      break;
    case QWebEngineUrlRequestInfo::ResourceTypeXhr:  // fetch too
    case QWebEngineUrlRequestInfo::ResourceTypeObject:
    case QWebEngineUrlRequestInfo::ResourceTypePrefetch:
    case QWebEngineUrlRequestInfo::ResourceTypeSubResource:
      if (!PathNamesPicture(info.requestUrl())) return;
      break;
    case QWebEngineUrlRequestInfo::ResourceTypeFavicon:
    case QWebEngineUrlRequestInfo::ResourceTypeServiceWorker:
      // A service worker's own requests would pass by this page's interceptor.
      info.block(true);
      return;
    default:
      return;
  }
  info.block(true);
  ++mAsked;
  Note(info.requestUrl());
}

void PictureRequestRecorder::Note(const QUrl& url) {
  const QString scheme = url.scheme();
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return;
  const QString address = url.toString(QUrl::FullyEncoded);
  const auto length = static_cast<std::size_t>(address.size());
  if (length > mLimits.MaxHrefLength || mAddresses.size() >= mLimits.MaxItems ||
      mText + length > mLimits.MaxText || mNoted.contains(address)) {
    return;
  }
  mNoted.insert(address);
  mText += length;
  mAddresses.push_back(address.toStdString());
}

}  // namespace vexilo
