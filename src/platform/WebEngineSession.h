#pragma once
// The embedded browser's session for the downloads: a copy of the profile's cookies kept up
// to date from its cookie store, and its user agent; also the profile, kept in a folder of
// its own when the session is to last, else the default one. The store does not report the
// cookies a kept profile restores, so that copy is saved beside them in kCookieFile. Main
// thread.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <filesystem>

#include "core/BrowserSession.h"
#include "core/CookieJar.h"

class QWebEngineProfile;

namespace vexilo {

// "browser" in the user's data folder.
QString BrowserProfileFolder();

// With keep, a profile owned by parent that keeps every cookie (those for the session too)
// and its storage in folder, so a logon outlasts the program; otherwise null, which stands
// for the default profile. Pages made on the profile must go before it.
QWebEngineProfile* MakeBrowserProfile(bool keep, const QString& folder, QObject* parent);

class WebEngineSession : public BrowserSession {
 public:
  static constexpr const char* kCookieFile = "vexilo-cookies.dat";

  // profile null: the default profile. For a profile that is not off the record the copy
  // saved by an earlier session is read first.
  explicit WebEngineSession(QWebEngineProfile* profile);
  // Saves the copy of a kept profile.
  ~WebEngineSession() override;
  WebEngineSession(const WebEngineSession&) = delete;
  WebEngineSession& operator=(const WebEngineSession&) = delete;

  std::string CookieHeaderFor(const std::string& url) const override;
  // Empty once the profile is gone.
  std::string UserAgent() const override;

 private:
  void Save();

  QPointer<QWebEngineProfile> mProfile;
  CookieJar mJar;
  std::filesystem::path mCookieFile;  // empty when the profile keeps nothing
  QTimer mSaveSoon;                   // one save for a burst of changes
  QObject mReceiver;                  // ends the cookie store's connections with the session
};

}  // namespace vexilo
