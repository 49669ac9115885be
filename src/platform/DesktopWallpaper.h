#pragma once
// How each Linux desktop is told to show a file as its centred wallpaper: the desktop chosen
// from the session's variables, and the commands for it, each a program and its arguments
// (run without a shell, so a path with blanks or quotes reaches the desktop whole). Pure.

#include <string>
#include <string_view>
#include <vector>

namespace vexilo {

enum class Desktop { Gnome, Cinnamon, Mate, Kde, Xfce, Lxqt, Sway, Other };

// From XDG_CURRENT_DESKTOP (a ":"-separated list, the first known name wins), else
// DESKTOP_SESSION; letter case does not count.
Desktop DesktopFrom(std::string_view currentDesktop, std::string_view session);

struct DesktopCommand {
  std::string Program;
  std::vector<std::string> Arguments;

  bool operator==(const DesktopCommand&) const = default;
};

struct WallpaperCommands {
  std::vector<DesktopCommand> Commands;
  bool FirstThatWorks = false;  // alternatives: stop at the first that succeeds; else run all
};

// The commands for every desktop but XFCE, whose monitors must be listed first.
WallpaperCommands WallpaperCommandsFor(Desktop desktop, const std::string& bmpPath);

// XFCE: the command that lists its desktop properties, and the commands that set every
// monitor's last-image to the file, centred, from what that listing printed.
DesktopCommand XfcePropertyListing();
std::vector<DesktopCommand> XfceWallpaperCommands(std::string_view listing,
                                                  const std::string& bmpPath);

// file:// + the path with every byte outside A-Z a-z 0-9 - . _ ~ / percent-encoded.
std::string FileUri(std::string_view path);

}  // namespace vexilo
