#include "platform/WebEngineSession.h"

#include <QDateTime>
#include <QDir>
#include <QNetworkCookie>
#include <QStandardPaths>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <chrono>
#include <exception>
#include <optional>
#include <utility>

namespace vexilo {
namespace {

// The store names a cookie for a whole domain with a leading dot, one for its host alone
// without.
std::optional<BrowserCookie> FromStore(const QNetworkCookie& stored) {
  QString domain = stored.domain();
  const bool hostOnly = !domain.startsWith('.');
  if (!hostOnly) domain.remove(0, 1);
  if (domain.isEmpty()) return std::nullopt;
  BrowserCookie cookie{stored.name().toStdString(), stored.value().toStdString(),
                       domain.toStdString(), hostOnly};
  if (!stored.path().isEmpty()) cookie.Path = stored.path().toStdString();
  cookie.Secure = stored.isSecure();
  if (!stored.isSessionCookie()) {
    cookie.Expires = std::chrono::system_clock::time_point(
        std::chrono::milliseconds(stored.expirationDate().toMSecsSinceEpoch()));
  }
  return cookie;
}

// The browser's form of a cookie kept in the jar, with the address it belongs to.
std::pair<QNetworkCookie, QUrl> ToStore(const BrowserCookie& cookie) {
  QNetworkCookie stored(QByteArray::fromStdString(cookie.Name),
                        QByteArray::fromStdString(cookie.Value));
  const QString domain = QString::fromStdString(cookie.Domain);
  if (!cookie.HostOnly) stored.setDomain('.' + domain);
  stored.setPath(QString::fromStdString(cookie.Path));
  stored.setSecure(cookie.Secure);
  if (cookie.Expires) {
    stored.setExpirationDate(QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(cookie.Expires->time_since_epoch())
            .count()));
  }
  const QUrl origin(QString(cookie.Secure ? "https://" : "http://") + domain +
                    QString::fromStdString(cookie.Path));
  return {stored, origin};
}

}  // namespace

QString BrowserProfileFolder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
      .filePath("browser");
}

QWebEngineProfile* MakeBrowserProfile(bool keep, const QString& folder, QObject* parent) {
  if (!keep) return nullptr;
  auto* profile = new QWebEngineProfile("Vexilo", parent);
  profile->setPersistentStoragePath(folder);
  profile->setCachePath(QDir(folder).filePath("cache"));
  // Many sites keep a logon in a cookie for the session only; it must outlast the program.
  profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
  return profile;
}

WebEngineSession::WebEngineSession(QWebEngineProfile* profile)
    : mProfile(profile != nullptr ? profile : QWebEngineProfile::defaultProfile()) {
  if (!mProfile->isOffTheRecord()) {
    mCookieFile =
        std::filesystem::path(mProfile->persistentStoragePath().toStdString()) / kCookieFile;
    try {
      mJar.Load(mCookieFile);
    } catch (const std::exception&) {
      // The browser still has its cookies; they come back as it is told of them again.
    }
  }
  mSaveSoon.setSingleShot(true);
  mSaveSoon.setInterval(1000);
  QObject::connect(&mSaveSoon, &QTimer::timeout, &mReceiver, [this] { Save(); });
  QWebEngineCookieStore* store = mProfile->cookieStore();
  QObject::connect(store, &QWebEngineCookieStore::cookieAdded, &mReceiver,
                   [this](const QNetworkCookie& stored) {
                     if (std::optional<BrowserCookie> cookie = FromStore(stored)) {
                       mJar.Add(std::move(*cookie));
                       if (!mCookieFile.empty()) mSaveSoon.start();
                     }
                   });
  QObject::connect(store, &QWebEngineCookieStore::cookieRemoved, &mReceiver,
                   [this](const QNetworkCookie& stored) {
                     if (std::optional<BrowserCookie> cookie = FromStore(stored)) {
                       mJar.Remove(*cookie);
                       if (!mCookieFile.empty()) mSaveSoon.start();
                     }
                   });
  store->loadAllCookies();
  // The browser writes its cookies to disk some time after they change, so a program ended
  // soon after a logon may find them missing at the next start: the kept copy puts them back.
  for (const BrowserCookie& cookie : mJar.Cookies()) {
    const auto [stored, origin] = ToStore(cookie);
    store->setCookie(stored, origin);
  }
}

WebEngineSession::~WebEngineSession() { Save(); }

void WebEngineSession::Save() {
  if (mCookieFile.empty()) return;
  try {
    std::filesystem::create_directories(mCookieFile.parent_path());
    mJar.Save(mCookieFile, std::chrono::system_clock::now());
  } catch (const std::exception&) {
    // Only the next start's downloads miss the logon until the browser renews the cookies.
  }
}

std::string WebEngineSession::CookieHeaderFor(const std::string& url) const {
  return mJar.HeaderFor(url, std::chrono::system_clock::now());
}

std::string WebEngineSession::UserAgent() const {
  return mProfile ? mProfile->httpUserAgent().toStdString() : std::string();
}

}  // namespace vexilo
