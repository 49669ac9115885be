#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <gtest/gtest.h>

#include <QLabel>

#include "shell/AboutUnit.h"

namespace vexilo {
namespace {

TEST(AboutForm, NamesTheProgramAndTheBrowserEngine) {
  TAboutForm form;
  EXPECT_EQ(form.windowTitle(), "About Vexilo");
  EXPECT_EQ(form.findChild<QLabel*>("title")->text(), "Vexilo 2.00 ");
  QString engine = form.findChild<QLabel*>("engineVersion")->text();
  EXPECT_EQ(engine, QString("(Chromium: ") + qWebEngineChromiumVersion() + ")");
  EXPECT_NE(QString(qWebEngineChromiumVersion()), "");
}

// The project has no web or mail address of its own: the box must not invite to one.
TEST(AboutForm, ShowsNoAddressToVisitOrWrite) {
  TAboutForm form;
  for (const QLabel* label : form.findChildren<QLabel*>()) {
    EXPECT_FALSE(label->text().contains("http")) << label->text().toStdString();
    EXPECT_FALSE(label->text().contains('@')) << label->text().toStdString();
    EXPECT_FALSE(label->text().contains("website")) << label->text().toStdString();
  }
  EXPECT_FALSE(form.findChild<QLabel*>("summary")->text().isEmpty());
}

}  // namespace
}  // namespace vexilo
