// The browser's session on the real WebEngine browser: a logon through a form in the
// browser lets the downloads fetch a picture that needs its cookie, with the browser's own
// user agent, and a kept profile still knows the logon after a restart.

#include <gtest/gtest.h>

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <atomic>
#include <memory>

#include "platform/WebEnginePageBrowser.h"
#include "platform/WebEngineSession.h"
#include "support/EventWait.h"
#include "support/FetchOnce.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace vexilo::test {
namespace {

constexpr const char* kLogonCookie = "session=s3cret";

std::string Header(const SeenRequest& seen, const std::string& name) {
  auto found = seen.Headers.find(name);
  return found == seen.Headers.end() ? "" : found->second;
}

class WebEngineSessionTest : public testing::Test {
 protected:
  WebEngineSessionTest() {
    httplib::Server& http = mSite.Http();
    mSite.AddPage("/login",
                  "<html><body><form method='post' action='/login'>"
                  "<input name='user' value='me'><input type='submit'></form></body></html>");
    http.Post("/login", [](const httplib::Request& request, httplib::Response& response) {
      // A cookie for the session only, as most logons set it.
      if (request.get_param_value("user") == "me") {
        response.set_header("Set-Cookie", std::string(kLogonCookie) + "; Path=/; HttpOnly");
      }
      response.set_content("<html><body>Welcome</body></html>", "text/html");
    });
    http.Get("/members/pic.gif", [](const httplib::Request& request, httplib::Response& response) {
      if (request.get_header_value("Cookie") == kLogonCookie) {
        response.set_content("GIF89a member", "image/gif");
      } else {
        response.status = 403;
        response.set_content("log on first", "text/plain");
      }
    });
  }

  void LoadPage(WebEnginePageBrowser& browser, const std::string& path) {
    browser.Navigate(mSite.Url(path));
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return browser.ReadyState() == PageBrowser::kReadyStateComplete; }));
  }
  void LogOn(WebEnginePageBrowser& browser, const WebEngineSession& session) {
    LoadPage(browser, "/login");
    browser.Page()->runJavaScript("document.forms[0].submit();",
                                  QWebEngineScript::ApplicationWorld);
    ASSERT_TRUE(ProcessEventsUntil([&] {
      return session.CookieHeaderFor(mSite.Url("/members/pic.gif")) == kLogonCookie;
    })) << session.CookieHeaderFor(mSite.Url("/members/pic.gif"));
  }
  // The download as the scheduler hands it out, with or without the session.
  bool Download(const WebEngineSession* session) {
    DownloadRequest request;
    request.Url = mSite.Url("/members/pic.gif");
    request.SavePath = (mFolder / "pic.gif").string();
    if (session != nullptr) {
      request.Cookie = session->CookieHeaderFor(request.Url);
      request.UserAgent = session->UserAgent();
    }
    std::atomic<bool> abort{false};
    return FetchOnce(request, {}, abort).Ok;
  }
  SeenRequest LastRequestFor(const std::string& path) const {
    SeenRequest last{};
    for (const SeenRequest& seen : mSite.Requests()) {
      if (seen.Path == path) last = seen;
    }
    return last;
  }

  LoopbackServer mSite{LoopbackServer::Connections::OnePerRequest};
  TempDir mFolder;
};

TEST_F(WebEngineSessionTest, ALogonInTheBrowserServesTheDownloads) {
  QObject owner;
  QWebEngineProfile* profile =
      MakeBrowserProfile(true, QString::fromStdString((mFolder / "browser").string()), &owner);
  ASSERT_NE(profile, nullptr);
  {
    WebEnginePageBrowser browser(profile);
    WebEngineSession session(profile);
    ASSERT_NO_FATAL_FAILURE(LogOn(browser, session));

    EXPECT_FALSE(Download(nullptr));
    EXPECT_EQ(ReadFileBytes(mFolder / "pic.gif"), "log on first");
    EXPECT_TRUE(Download(&session));
    EXPECT_EQ(ReadFileBytes(mFolder / "pic.gif"), "GIF89a member");
    // The download names itself as the browser did when it loaded the form.
    EXPECT_EQ(Header(LastRequestFor("/members/pic.gif"), "User-Agent"),
              Header(LastRequestFor("/login"), "User-Agent"));
    EXPECT_EQ(session.UserAgent(), profile->httpUserAgent().toStdString());
  }
}

TEST_F(WebEngineSessionTest, AKeptProfileRemembersTheLogonAfterARestart) {
  const QString folder = QString::fromStdString((mFolder / "browser").string());
  {
    QObject owner;
    QWebEngineProfile* profile = MakeBrowserProfile(true, folder, &owner);
    ASSERT_FALSE(profile->isOffTheRecord());
    WebEnginePageBrowser browser(profile);
    WebEngineSession session(profile);
    ASSERT_NO_FATAL_FAILURE(LogOn(browser, session));
  }
  QObject owner;
  QWebEngineProfile* profile = MakeBrowserProfile(true, folder, &owner);
  WebEngineSession session(profile);
  EXPECT_TRUE(ProcessEventsUntil(
      [&] { return session.CookieHeaderFor(mSite.Url("/members/pic.gif")) == kLogonCookie; }));
  EXPECT_TRUE(Download(&session));
  // The browser, too, is still logged on.
  WebEnginePageBrowser browser(profile);
  ASSERT_NO_FATAL_FAILURE(LoadPage(browser, "/login"));
  EXPECT_EQ(Header(LastRequestFor("/login"), "Cookie"), kLogonCookie);
}

TEST_F(WebEngineSessionTest, WithoutKeepingTheBrowserForgetsAsBefore) {
  EXPECT_EQ(MakeBrowserProfile(false, QString::fromStdString(mFolder.Path().string()), nullptr),
            nullptr);
  EXPECT_TRUE(QWebEngineProfile::defaultProfile()->isOffTheRecord());
  WebEnginePageBrowser browser;
  WebEngineSession session(nullptr);
  ASSERT_NO_FATAL_FAILURE(LogOn(browser, session));
  EXPECT_TRUE(Download(&session));
  EXPECT_FALSE(std::filesystem::exists(mFolder / "browser"));
}

}  // namespace
}  // namespace vexilo::test
