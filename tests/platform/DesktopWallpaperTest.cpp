#include <gtest/gtest.h>

#include "platform/DesktopWallpaper.h"

namespace vexilo {
namespace {

TEST(DesktopFrom, TakesTheFirstKnownNameOfTheListThenTheSession) {
  EXPECT_EQ(DesktopFrom("ubuntu:GNOME", ""), Desktop::Gnome);
  EXPECT_EQ(DesktopFrom("Unity", ""), Desktop::Gnome);
  EXPECT_EQ(DesktopFrom("X-Cinnamon", ""), Desktop::Cinnamon);
  EXPECT_EQ(DesktopFrom("MATE", "mate"), Desktop::Mate);
  EXPECT_EQ(DesktopFrom("KDE", ""), Desktop::Kde);
  EXPECT_EQ(DesktopFrom("XFCE", ""), Desktop::Xfce);
  EXPECT_EQ(DesktopFrom("LXQt", ""), Desktop::Lxqt);
  EXPECT_EQ(DesktopFrom("sway", ""), Desktop::Sway);
  EXPECT_EQ(DesktopFrom("Custom:KDE", "gnome"), Desktop::Kde);
  EXPECT_EQ(DesktopFrom("", "plasma"), Desktop::Kde);
  EXPECT_EQ(DesktopFrom("", ""), Desktop::Other);
  EXPECT_EQ(DesktopFrom("i3", "i3"), Desktop::Other);
}

TEST(WallpaperCommandsFor, NamesTheFileWholeAndCentred) {
  const std::string path = "/home/a b/\"q\"/Vexilo.bmp";
  EXPECT_EQ(FileUri(path), "file:///home/a%20b/%22q%22/Vexilo.bmp");

  const WallpaperCommands gnome = WallpaperCommandsFor(Desktop::Gnome, path);
  ASSERT_EQ(gnome.Commands.size(), 3u);
  EXPECT_EQ(
      gnome.Commands[0],
      (DesktopCommand{"gsettings",
                      {"set", "org.gnome.desktop.background", "picture-options", "centered"}}));
  EXPECT_EQ(gnome.Commands[2].Arguments.back(), FileUri(path));
  EXPECT_FALSE(gnome.FirstThatWorks);

  EXPECT_EQ(WallpaperCommandsFor(Desktop::Mate, path).Commands[1].Arguments.back(), path);
  EXPECT_EQ(
      WallpaperCommandsFor(Desktop::Lxqt, path).Commands[0],
      (DesktopCommand{"pcmanfm-qt", {"--set-wallpaper", path, "--wallpaper-mode", "center"}}));
  EXPECT_EQ(WallpaperCommandsFor(Desktop::Sway, path).Commands[0].Arguments[3],
            "\"/home/a b/\\\"q\\\"/Vexilo.bmp\"");
  const std::string script = WallpaperCommandsFor(Desktop::Kde, path).Commands[0].Arguments.back();
  EXPECT_NE(script.find("writeConfig(\"Image\", \"" + FileUri(path) + "\")"), std::string::npos);

  const WallpaperCommands other = WallpaperCommandsFor(Desktop::Other, path);
  EXPECT_TRUE(other.FirstThatWorks);
  EXPECT_EQ(other.Commands, (std::vector<DesktopCommand>{{"feh", {"--bg-center", path}},
                                                         {"xwallpaper", {"--center", path}}}));
}

TEST(XfceWallpaperCommands, SetsEveryMonitorsLastImage) {
  const std::string listing =
      "/backdrop/screen0/monitorHDMI-1/workspace0/color-style\n"
      "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"
      "/backdrop/screen0/monitoreDP-1/workspace0/last-image\r\n"
      "/last-image\n";
  const std::vector<DesktopCommand> commands = XfceWallpaperCommands(listing, "/p/V.bmp");
  ASSERT_EQ(commands.size(), 4u);
  EXPECT_EQ(commands[0].Arguments,
            (std::vector<std::string>{"-c", "xfce4-desktop", "-p",
                                      "/backdrop/screen0/monitorHDMI-1/workspace0/image-style",
                                      "-s", "1"}));
  EXPECT_EQ(commands[3].Arguments.back(), "/p/V.bmp");
  EXPECT_TRUE(XfceWallpaperCommands("", "/p/V.bmp").empty());
}

}  // namespace
}  // namespace vexilo
