#include "platform/ProcessWallpaperSetter.h"

#include <QProcess>
#include <QStringList>
#include <optional>

#include "platform/DesktopWallpaper.h"

namespace vexilo {
namespace {

// What the command printed when it ran to a zero exit in time; std::nullopt otherwise (a
// missing program, a failure, a time-out: the command is killed).
std::optional<std::string> Run(const DesktopCommand& command, std::chrono::milliseconds timeout) {
  QStringList arguments;
  for (const std::string& argument : command.Arguments) {
    arguments << QString::fromStdString(argument);
  }
  QProcess process;
  process.setProcessChannelMode(QProcess::SeparateChannels);
  process.start(QString::fromStdString(command.Program), arguments);
  if (!process.waitForStarted(static_cast<int>(timeout.count()))) return std::nullopt;
  if (!process.waitForFinished(static_cast<int>(timeout.count()))) {
    process.kill();
    process.waitForFinished(1000);
    return std::nullopt;
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return std::nullopt;
  return process.readAllStandardOutput().toStdString();
}

}  // namespace

void ProcessWallpaperSetter::SetWallpaper(const std::string& bmpPath) {
  const Desktop desktop = DesktopFrom(qEnvironmentVariable("XDG_CURRENT_DESKTOP").toStdString(),
                                      qEnvironmentVariable("DESKTOP_SESSION").toStdString());
  if (desktop == Desktop::Xfce) {
    const std::optional<std::string> listing = Run(XfcePropertyListing(), mTimeout);
    if (!listing) return;
    for (const DesktopCommand& command : XfceWallpaperCommands(*listing, bmpPath)) {
      Run(command, mTimeout);
    }
    return;
  }
  const WallpaperCommands plan = WallpaperCommandsFor(desktop, bmpPath);
  for (const DesktopCommand& command : plan.Commands) {
    if (Run(command, mTimeout) && plan.FirstThatWorks) return;
  }
}

}  // namespace vexilo
