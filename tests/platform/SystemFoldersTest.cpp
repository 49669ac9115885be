// The facts of the folder decision as the running program reads them from its environment,
// and the decision they lead to for a read-only install.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <filesystem>

#include "platform/SystemFolders.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const fs::path& value)
      : mName(name), mHad(qEnvironmentVariableIsSet(name)), mOld(qgetenv(name)) {
    qputenv(name, QByteArray::fromStdString(value.string()));
  }
  ~ScopedEnv() {
    if (mHad) {
      qputenv(mName, mOld);
    } else {
      qunsetenv(mName);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* mName;
  bool mHad;
  QByteArray mOld;
};

TEST(SystemFolderFacts, ReadTheUsersXdgFoldersAndTheInstallsFolders) {
  test::TempDir dir;
  fs::create_directories(dir / "home");
  ScopedEnv home("HOME", dir / "home");
  ScopedEnv data("XDG_DATA_HOME", dir / "data");
  ScopedEnv config("XDG_CONFIG_HOME", dir / "config");  // no user-dirs.dirs there
  fs::create_directories(dir / "prefix/bin");

  FolderFacts facts = SystemFolderFacts(QString::fromStdString((dir / "prefix/bin").string()));
  EXPECT_EQ(facts.ExecutableFolder, dir / "prefix/bin");
  EXPECT_TRUE(facts.ExecutableFolderWritable);  // a fresh temporary folder
  EXPECT_EQ(facts.UserDataFolder, dir / "data");
  EXPECT_EQ(facts.PicturesFolder, dir / "home/Pictures");
  EXPECT_EQ(facts.InstalledDataFolder.filename(), "vexilo");
  EXPECT_EQ(facts.InstalledBinFolder.filename(), "bin");

  // Tests run as root, who may write anywhere: the probe's answer is set as a read-only
  // prefix would give it.
  facts.ExecutableFolderWritable = false;
  const AppFolders folders = ResolveAppFolders(facts);
  EXPECT_EQ(folders.ProgramFolder, dir / "data/Vexilo");
  EXPECT_EQ(folders.DefaultDownFolder, (dir / "home/Pictures/Vexilo").string());
  EXPECT_EQ(folders.DataFolders.back(), facts.InstalledDataFolder);
}

TEST(FolderWritable, AMissingFolderCannotBeWritten) {
  test::TempDir dir;
  EXPECT_TRUE(FolderWritable(dir.Path()));
  EXPECT_FALSE(FolderWritable(dir / "missing"));
}

}  // namespace
}  // namespace vexilo
