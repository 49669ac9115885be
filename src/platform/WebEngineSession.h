#pragma once
// The embedded browser's session for the downloads, on a WebEngine profile: a copy of the
// profile's cookies kept up to date from its cookie store, and its user agent. Also the
// profile the browser is made on: one that keeps its cookies in a folder of its own when the
// session is to last, else the default one, which forgets them. Main thread.

#include <QObject>
#include <QPointer>
#include <QString>

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
  // profile null: the default profile. The cookies the profile already holds are read too.
  explicit WebEngineSession(QWebEngineProfile* profile);
  WebEngineSession(const WebEngineSession&) = delete;
  WebEngineSession& operator=(const WebEngineSession&) = delete;

  std::string CookieHeaderFor(const std::string& url) const override;
  // Empty once the profile is gone.
  std::string UserAgent() const override;

 private:
  QPointer<QWebEngineProfile> mProfile;
  CookieJar mJar;
  QObject mReceiver;  // ends the cookie store's connections with the session
};

}  // namespace vexilo
