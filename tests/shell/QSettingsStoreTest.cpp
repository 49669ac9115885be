#include <gtest/gtest.h>

#include <QSettings>

#include "platform/QSettingsStore.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

TEST(QSettingsStore, KeepsValuesInAFileOnlyItsOwnerCanRead) {
  test::TempDir dir;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromStdString(dir.Path().string()));
  {
    QSettingsStore store;
    store.Open();
    EXPECT_EQ(store.Read("AuthPass"), "");
    store.Write("AuthPass",
                "s\xC3\xA9"
                "cret");
    store.Write("DownFolder", "/data/pics");
    store.Close();
  }
  std::filesystem::path file = dir / "Vexilo" / "Vexilo.conf";
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

  QSettingsStore again;
  again.Open();
  EXPECT_EQ(again.Read("AuthPass"),
            "s\xC3\xA9"
            "cret");
  EXPECT_EQ(again.Read("DownFolder"), "/data/pics");
  again.Close();
}

}  // namespace
}  // namespace vexilo
