// Runs the real setter against stand-in desktop programs on PATH.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/ProcessWallpaperSetter.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

class ProcessWallpaperSetterTest : public testing::Test {
 protected:
  ProcessWallpaperSetterTest() {
    for (const char* name : {"PATH", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION"}) {
      const char* value = std::getenv(name);
      mSaved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    // The stand-ins come first; the shell tools they use come from the system.
    ::setenv("PATH", (mBin.Path().string() + ":/usr/bin:/bin").c_str(), 1);
    ::unsetenv("XDG_CURRENT_DESKTOP");
    ::unsetenv("DESKTOP_SESSION");
  }
  ~ProcessWallpaperSetterTest() override {
    for (const auto& [name, value] : mSaved) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }
  // A stand-in program that writes its arguments, one a line, to <name>.args.
  void Program(const std::string& name, const std::string& body) {
    const std::filesystem::path file = mBin / name;
    test::WriteFileBytes(file, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                                   (mBin / (name + ".args")).string() + "\"\n" + body + "\n");
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
  }
  std::string Arguments(const std::string& name) {
    return test::ReadFileBytes(mBin / (name + ".args"));
  }

  test::TempDir mBin;
  std::vector<std::pair<std::string, std::optional<std::string>>> mSaved;
};

TEST_F(ProcessWallpaperSetterTest, APathWithBlanksAndQuotesReachesTheDesktopWhole) {
  Program("feh", "exit 0");
  Program("xwallpaper", "exit 0");
  ProcessWallpaperSetter().SetWallpaper("/tmp/a b/$(x) 'q\"/V.bmp");
  EXPECT_EQ(Arguments("feh"), "--bg-center\n/tmp/a b/$(x) 'q\"/V.bmp\n");
  EXPECT_FALSE(std::filesystem::exists(mBin / "xwallpaper.args")) << "only when feh fails";
}

TEST_F(ProcessWallpaperSetterTest, AFailingOrHangingProgramGivesWayToTheNext) {
  Program("feh", "exec sleep 30");
  Program("xwallpaper", "exit 0");
  ProcessWallpaperSetter(std::chrono::milliseconds(300)).SetWallpaper("/p/V.bmp");
  EXPECT_EQ(Arguments("xwallpaper"), "--center\n/p/V.bmp\n");
}

TEST_F(ProcessWallpaperSetterTest, XfceSetsWhatItsListingNames) {
  ::setenv("XDG_CURRENT_DESKTOP", "XFCE", 1);
  Program("xfconf-query",
          "case \"$3\" in -l) echo /backdrop/screen0/monitor0/workspace0/last-image;; *) "
          "cat \"$0.args\" >> \"$0.log\";; esac");
  ProcessWallpaperSetter().SetWallpaper("/p/V.bmp");
  const std::string log = test::ReadFileBytes(mBin / "xfconf-query.log");
  EXPECT_NE(log.find("/backdrop/screen0/monitor0/workspace0/last-image\n-s\n/p/V.bmp\n"),
            std::string::npos)
      << log;
}

}  // namespace
}  // namespace vexilo
