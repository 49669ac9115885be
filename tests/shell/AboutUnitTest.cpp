#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QLabel>
#include <QTest>

#include "shell/AboutUnit.h"
#include "shell/LinkLabel.h"
#include "shell/ProductInfo.h"
#include "support/FakeSeams.h"

namespace vexilo {
namespace {

TEST(AboutForm, NamesTheProgramAndTheBrowserEngine) {
  test::RecordingShell shell;
  TAboutForm form(shell);
  EXPECT_EQ(form.windowTitle(), "About Vexilo");
  EXPECT_EQ(form.findChild<QLabel*>("title")->text(), "Vexilo 2.00 ");
  QString engine = form.findChild<QLabel*>("engineVersion")->text();
  EXPECT_EQ(engine, QString("(Chromium: ") + qWebEngineChromiumVersion() + ")");
  EXPECT_NE(QString(qWebEngineChromiumVersion()), "");
}

TEST(AboutForm, LinksLightUpUnderThePointerAndOpenWithoutClosing) {
  test::RecordingShell shell;
  TAboutForm form(shell);
  form.show();
  TLinkLabel* home = form.HomePageLink();
  EXPECT_EQ(home->palette().color(QPalette::WindowText), QColor(Qt::blue));
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(home, &enter);
  EXPECT_EQ(home->palette().color(QPalette::WindowText), QColor(Qt::red));
  EXPECT_TRUE(home->font().underline());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(home, &leave);
  EXPECT_EQ(home->palette().color(QPalette::WindowText), QColor(Qt::blue));
  EXPECT_FALSE(home->font().underline());

  QTest::mouseClick(home, Qt::LeftButton);
  QTest::mouseClick(form.SupportLink(), Qt::LeftButton);
  EXPECT_EQ(shell.Opened,
            (std::vector<std::string>{kHomePage, std::string("mailto:") + kSupportAddress}));
  EXPECT_TRUE(form.isVisible());
}

}  // namespace
}  // namespace vexilo
