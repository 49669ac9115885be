#include "platform/DesktopWallpaper.h"

#include <cstdio>

#include "core/LineFile.h"
#include "core/TextRules.h"

namespace vexilo {
namespace {

bool Known(std::string_view name, Desktop& desktop) {
  const std::string lower = LowerAscii(name);
  struct Name {
    const char* Text;
    Desktop Value;
  };
  static constexpr Name kNames[] = {
      {"gnome", Desktop::Gnome},       {"unity", Desktop::Gnome},
      {"ubuntu", Desktop::Gnome},      {"pantheon", Desktop::Gnome},
      {"budgie", Desktop::Gnome},      {"x-cinnamon", Desktop::Cinnamon},
      {"cinnamon", Desktop::Cinnamon}, {"mate", Desktop::Mate},
      {"kde", Desktop::Kde},           {"plasma", Desktop::Kde},
      {"xfce", Desktop::Xfce},         {"lxqt", Desktop::Lxqt},
      {"sway", Desktop::Sway},
  };
  for (const Name& known : kNames) {
    if (lower == known.Text) {
      desktop = known.Value;
      return true;
    }
  }
  return false;
}

DesktopCommand Gsettings(const char* schema, const char* key, const std::string& value) {
  return {"gsettings", {"set", schema, key, value}};
}

// A JavaScript string literal for Plasma's script: the URI holds no quote or backslash, but
// the literal is escaped all the same.
std::string ScriptString(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// A quoted word for sway's command parser, which swaymsg hands the joined arguments to.
std::string SwayWord(std::string_view text) { return ScriptString(text); }

}  // namespace

Desktop DesktopFrom(std::string_view currentDesktop, std::string_view session) {
  Desktop desktop = Desktop::Other;
  size_t from = 0;
  while (from <= currentDesktop.size()) {
    size_t colon = currentDesktop.find(':', from);
    if (colon == std::string_view::npos) colon = currentDesktop.size();
    if (Known(currentDesktop.substr(from, colon - from), desktop)) return desktop;
    from = colon + 1;
  }
  if (Known(session, desktop)) return desktop;
  return Desktop::Other;
}

std::string FileUri(std::string_view path) {
  std::string uri = "file://";
  for (unsigned char c : path) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      uri += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    }
  }
  return uri;
}

WallpaperCommands WallpaperCommandsFor(Desktop desktop, const std::string& bmpPath) {
  const std::string uri = FileUri(bmpPath);
  switch (desktop) {
    case Desktop::Gnome:
      return {{Gsettings("org.gnome.desktop.background", "picture-options", "centered"),
               Gsettings("org.gnome.desktop.background", "picture-uri", uri),
               Gsettings("org.gnome.desktop.background", "picture-uri-dark", uri)}};
    case Desktop::Cinnamon:
      return {{Gsettings("org.cinnamon.desktop.background", "picture-options", "centered"),
               Gsettings("org.cinnamon.desktop.background", "picture-uri", uri)}};
    case Desktop::Mate:
      return {{Gsettings("org.mate.background", "picture-options", "centered"),
               Gsettings("org.mate.background", "picture-filename", bmpPath)}};
    case Desktop::Kde: {
      // FillMode 6 is Plasma's "Centered".
      const std::string script =
          "var all = desktops(); for (var i = 0; i < all.length; i++) { var d = all[i]; "
          "d.wallpaperPlugin = \"org.kde.image\"; "
          "d.currentConfigGroup = Array(\"Wallpaper\", \"org.kde.image\", \"General\"); "
          "d.writeConfig(\"Image\", " +
          ScriptString(uri) + "); d.writeConfig(\"FillMode\", 6); }";
      return {{{"dbus-send",
                {"--session", "--dest=org.kde.plasmashell", "--type=method_call", "/PlasmaShell",
                 "org.kde.PlasmaShell.evaluateScript", "string:" + script}}}};
    }
    case Desktop::Lxqt:
      return {{{"pcmanfm-qt", {"--set-wallpaper", bmpPath, "--wallpaper-mode", "center"}}}};
    case Desktop::Sway:
      return {{{"swaymsg", {"output", "*", "bg", SwayWord(bmpPath), "center"}}}};
    case Desktop::Xfce:  // needs its listing: XfceWallpaperCommands
    case Desktop::Other:
      break;
  }
  return {{{"feh", {"--bg-center", bmpPath}}, {"xwallpaper", {"--center", bmpPath}}}, true};
}

DesktopCommand XfcePropertyListing() { return {"xfconf-query", {"-c", "xfce4-desktop", "-l"}}; }

std::vector<DesktopCommand> XfceWallpaperCommands(std::string_view listing,
                                                  const std::string& bmpPath) {
  static constexpr std::string_view kLastImage = "/last-image";
  std::vector<DesktopCommand> commands;
  for (const std::string& line : SplitLines(listing)) {
    const std::string property = Trim(line);
    if (property.size() <= kLastImage.size() || !property.ends_with(kLastImage)) continue;
    const std::string monitor = property.substr(0, property.size() - kLastImage.size());
    // Style 1 is "Centered".
    commands.push_back(
        {"xfconf-query", {"-c", "xfce4-desktop", "-p", monitor + "/image-style", "-s", "1"}});
    commands.push_back({"xfconf-query", {"-c", "xfce4-desktop", "-p", property, "-s", bmpPath}});
  }
  return commands;
}

}  // namespace vexilo
