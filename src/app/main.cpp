// The program entry: the application, the main window and the other windows, the event loop.

#include "shell/main.h"

#include <QApplication>
#include <QScreen>
#include <cstdlib>

#include "pictures/ThumbnailCache.h"
#include "platform/QSettingsStore.h"
#include "platform/QtDesktopShell.h"
#include "platform/QtUserPrompts.h"
#include "platform/SystemFolders.h"
#include "shell/AppIcon.h"

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vexilo");
  QApplication::setOrganizationName("Vexilo");
  // Names the desktop entry, so that a desktop matches the window to it (and its icon).
  QGuiApplication::setDesktopFileName("vexilo");
  QApplication::setWindowIcon(vexilo::AppIcon());

  // Listings read and fill the desktop's shared thumbnail cache, as file managers do.
  vexilo::UseThumbnailCacheFolder(
      vexilo::ThumbnailCacheFolderFor(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME")));
  vexilo::QSettingsStore settings;
  vexilo::QtUserPrompts prompts;
  vexilo::QtDesktopShell shell;
  vexilo::TMainForm mainForm(
      vexilo::ResolveAppFolders(vexilo::SystemFolderFacts(QCoreApplication::applicationDirPath())),
      {settings, prompts, shell});
  // The tray's "Exit" closes a hidden window, which would not end the program by itself.
  QObject::connect(&mainForm, &vexilo::TMainForm::shutDownDone, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  mainForm.InitialiseRun();
  mainForm.CreateOtherWindows();
  // Centred, so that the window comes back there when it is un-maximised.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    mainForm.move(screen->availableGeometry().center() - mainForm.rect().center());
  }
  mainForm.showMaximized();
  return QApplication::exec();
}
