// The program entry: the application, the main window and the other windows, the event loop;
// or, with --check, the checks for new pictures without a window.

#include "shell/main.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLoggingCategory>
#include <QScreen>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "core/InstanceLock.h"
#include "pictures/ColourProfile.h"
#include "pictures/ThumbnailCache.h"
#include "platform/QSettingsStore.h"
#include "platform/QtDesktopShell.h"
#include "platform/QtUserPrompts.h"
#include "platform/ScreenProfile.h"
#include "platform/SystemFolders.h"
#include "shell/AppIcon.h"
#include "shell/CheckCommand.h"
#include "shell/ConsolePrompts.h"
#include "shell/Run.h"

namespace {

// Options that print or check and end: they need no screen, and cron has none.
bool RunsWithoutScreen(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* option : {"--check", "-h", "--help", "--help-all", "-v", "--version"}) {
      if (std::strcmp(argv[i], option) == 0) return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (RunsWithoutScreen(argc, argv)) qputenv("QT_QPA_PLATFORM", "offscreen");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vexilo");
  QApplication::setApplicationVersion(VEXILO_VERSION);
  QApplication::setOrganizationName("Vexilo");
  // Names the desktop entry, so that a desktop matches the window to it (and its icon).
  QGuiApplication::setDesktopFileName("vexilo");
  QApplication::setWindowIcon(vexilo::AppIcon());

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Vexilo finds the pictures of web sites and downloads them. Without options it opens its "
      "window.");
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption check(
      "check",
      "Checks the named tasks for new pictures without a window, or without names the "
      "scheduled tasks that are due, prints one line for each and ends: status 1 when a check "
      "could not run.");
  parser.addOption(check);
  parser.addPositionalArgument("task", "The name of a task, as the task list shows it.",
                               "[TASK NAME ...]");
  parser.process(app);
  const bool checking = parser.isSet(check);
  // Cron mails whatever is printed: only the lines and real errors.
  if (checking) QLoggingCategory::setFilterRules("qt.webenginecontext.info=false");
  if (!checking && !parser.positionalArguments().isEmpty()) {
    std::cerr << "vexilo: task names are given with --check; see vexilo --help\n";
    return 2;
  }

  // Before any picture is decoded for the windows.
  vexilo::UseScreenProfile(vexilo::ReadScreenProfile());
  // Listings read and fill the desktop's shared thumbnail cache, as file managers do.
  vexilo::UseThumbnailCacheFolder(
      vexilo::ThumbnailCacheFolderFor(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME")));
  const vexilo::AppFolders folders =
      vexilo::ResolveAppFolders(vexilo::SystemFolderFacts(QCoreApplication::applicationDirPath()));
  // An open window refuses nothing when another holds the lock: only --check waits its turn.
  const vexilo::InstanceLock lock(folders.ProgramFolder);
  if (checking && !lock.Held()) {
    std::cerr << "vexilo: Vexilo is open and checks its scheduled tasks itself; close it to "
                 "check from the command line\n";
    return 1;
  }
  vexilo::QSettingsStore settings;
  vexilo::QtUserPrompts windowPrompts;
  vexilo::ConsolePrompts consolePrompts(std::cerr);
  vexilo::QtDesktopShell shell;
  vexilo::TMainForm mainForm(folders, {settings,
                                       checking ? static_cast<vexilo::UserPrompts&>(consolePrompts)
                                                : static_cast<vexilo::UserPrompts&>(windowPrompts),
                                       shell});
  mainForm.InitialiseRun();
  mainForm.CreateOtherWindows();
  if (checking) {
    std::vector<std::string> names;
    for (const QString& name : parser.positionalArguments()) names.push_back(name.toStdString());
    // Shown on the offscreen platform only: pages lay out and run as in a window.
    mainForm.show();
    const int status = vexilo::RunChecks(mainForm.Run(), names, std::cout);
    mainForm.ShutDown();
    return status;
  }
  // The tray's "Exit" closes a hidden window, which would not end the program by itself.
  QObject::connect(&mainForm, &vexilo::TMainForm::shutDownDone, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  // Centred, so that the window comes back there when it is un-maximised.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    mainForm.move(screen->availableGeometry().center() - mainForm.rect().center());
  }
  mainForm.showMaximized();
  mainForm.StartCheckSchedule();
  return QApplication::exec();
}
