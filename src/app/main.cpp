// The program entry: the application, the main window and the other windows, the event loop.

#include <QApplication>

#include "platform/QSettingsStore.h"
#include "platform/QtDesktopShell.h"
#include "platform/QtUserPrompts.h"
#include "shell/AppIcon.h"
#include "shell/main.h"

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vexilo");
  QApplication::setOrganizationName("Vexilo");
  QApplication::setWindowIcon(vexilo::AppIcon());

  vexilo::QSettingsStore settings;
  vexilo::QtUserPrompts prompts;
  vexilo::QtDesktopShell shell;
  vexilo::TMainForm mainForm(QCoreApplication::applicationDirPath().toStdString(),
                             {settings, prompts, shell});
  // The tray's "Exit" closes a hidden window, which would not end the program by itself.
  QObject::connect(&mainForm, &vexilo::TMainForm::shutDownDone, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  mainForm.InitialiseRun();
  mainForm.CreateOtherWindows();
  mainForm.showMaximized();
  return QApplication::exec();
}
