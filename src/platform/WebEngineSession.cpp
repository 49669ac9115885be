#include "platform/WebEngineSession.h"

#include <QDir>
#include <QNetworkCookie>
#include <QStandardPaths>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <chrono>
#include <exception>
#include <optional>

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
