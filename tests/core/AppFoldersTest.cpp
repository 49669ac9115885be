#include <gtest/gtest.h>

#include <filesystem>

#include "core/AppFolders.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

FolderFacts Facts(const fs::path& exe, bool writable) {
  FolderFacts facts;
  facts.ExecutableFolder = exe;
  facts.ExecutableFolderWritable = writable;
  facts.InstalledBinFolder = "/usr/bin";
  facts.InstalledDataFolder = "/usr/share/vexilo";
  facts.UserDataFolder = "/home/ann/.local/share";
  facts.PicturesFolder = "/home/ann/Pictures";
  return facts;
}

TEST(ResolveAppFolders, AWritableBuildFolderKeepsEverythingBesideTheExecutable) {
  const AppFolders folders = ResolveAppFolders(Facts("/work/vexilo/build", true));
  EXPECT_EQ(folders.ProgramFolder, "/work/vexilo/build");
  EXPECT_EQ(folders.DefaultDownFolder, "/work/vexilo/build/pictures");
  EXPECT_EQ(folders.DataFolders, std::vector<fs::path>{"/work/vexilo/build"});
  EXPECT_EQ(folders.GalleriesFolder, "/work/vexilo/build/thumbnails");
  EXPECT_FALSE(folders.NewGalleryFolders);
}

TEST(ResolveAppFolders, AReadOnlyInstallUsesTheUsersDataAndPicturesFolders) {
  const AppFolders folders = ResolveAppFolders(Facts("/opt/vexilo/bin", false));
  EXPECT_EQ(folders.ProgramFolder, "/home/ann/.local/share/Vexilo");
  EXPECT_EQ(folders.DefaultDownFolder, "/home/ann/Pictures/Vexilo");
  EXPECT_EQ(folders.DataFolders,
            (std::vector<fs::path>{"/home/ann/.local/share/Vexilo", "/usr/share/vexilo"}));
  EXPECT_EQ(folders.GalleriesFolder, "/home/ann/Pictures/Vexilo galleries");
  EXPECT_TRUE(folders.NewGalleryFolders);
}

// Root can write to /usr/bin; the installed program must still not litter it.
TEST(ResolveAppFolders, TheInstallsOwnFolderCountsAsInstalledEvenWhenWritable) {
  EXPECT_EQ(ResolveAppFolders(Facts("/usr/bin", true)).ProgramFolder,
            "/home/ann/.local/share/Vexilo");
  EXPECT_EQ(ResolveAppFolders(Facts("/usr/bin/", true)).ProgramFolder,
            "/home/ann/.local/share/Vexilo");
}

TEST(ResolveAppFolders, MissingUserFoldersFallBackToWhatIsKnown) {
  FolderFacts noPictures = Facts("/usr/bin", false);
  noPictures.PicturesFolder.clear();
  EXPECT_EQ(ResolveAppFolders(noPictures).DefaultDownFolder,
            "/home/ann/.local/share/Vexilo/pictures");
  EXPECT_EQ(ResolveAppFolders(noPictures).GalleriesFolder,
            "/home/ann/.local/share/Vexilo/thumbnails");
  EXPECT_FALSE(ResolveAppFolders(noPictures).NewGalleryFolders);

  FolderFacts noData = Facts("/usr/bin", false);
  noData.UserDataFolder.clear();
  EXPECT_EQ(ResolveAppFolders(noData).ProgramFolder, "/usr/bin");
}

TEST(AppFolders, AShippedFileIsTakenFromTheFirstDataFolderThatHasIt) {
  test::TempDir dir;
  fs::create_directories(dir / "user");
  fs::create_directories(dir / "share");
  const AppFolders folders{dir / "user", "", {dir / "user", dir / "share"}};
  EXPECT_EQ(folders.ShippedFile("help.html"), dir / "user/help.html");  // none has it

  test::WriteFileBytes(dir / "share/help.html", "installed");
  EXPECT_EQ(folders.ShippedFile("help.html"), dir / "share/help.html");
  test::WriteFileBytes(dir / "user/help.html", "the user's copy");
  EXPECT_EQ(folders.ShippedFile("help.html"), dir / "user/help.html");

  fs::create_directories(dir / "share/blank.bmp");  // a folder is no file
  EXPECT_EQ(folders.ShippedFile("blank.bmp"), dir / "user/blank.bmp");
}

}  // namespace
}  // namespace vexilo
