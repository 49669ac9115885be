#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "core/Errors.h"
#include "shell/AdvancedOptions.h"
#include "shell/DownloadSettings.h"
#include "support/FakeSeams.h"

namespace vexilo {
namespace {

using test::MemorySettingsStore;

const std::string kDefaultDownFolder = "/opt/vexilo/pictures";

AppSettings Loaded(MemorySettingsStore& store) {
  AppSettings settings;
  LoadSettings(store, kDefaultDownFolder, settings);
  return settings;
}

TEST(LoadSettings, FirstRunTakesTheDefaults) {
  MemorySettingsStore store;
  AppSettings settings = Loaded(store);
  EXPECT_TRUE(store.Opened);
  AppSettings expected;
  expected.DownFolder = "/opt/vexilo/pictures";
  expected.DownloadThread = "3";
  EXPECT_EQ(settings, expected);
}

struct FolderCase {
  const char* name;
  const char* stored;
  const char* loaded;
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class DownFolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(DownFolderTest, LoadsNormalised) {
  MemorySettingsStore store;
  store.Values["DownFolder"] = GetParam().stored;
  EXPECT_EQ(Loaded(store).DownFolder, GetParam().loaded) << "stored: " << GetParam().stored;
}

INSTANTIATE_TEST_SUITE_P(
    TrailingSeparator, DownFolderTest,
    testing::Values(FolderCase{"Plain", "/data/pics", "/data/pics"},
                    FolderCase{"OneSeparator", "/data/pics/", "/data/pics"},
                    FolderCase{"TwoSeparatorsKeepOne", "/data/pics//", "/data/pics/"},
                    FolderCase{"BlanksOnly", "   ", "/opt/vexilo/pictures"},
                    FolderCase{"SeparatorOnly", "/", ""},
                    FolderCase{"NotTrimmed", " /data/x ", " /data/x "},
                    FolderCase{"LineBreaksAsTheTaskListKeepsThem", "/data/a\r\nb\n/",
                               "/data/a  b "}),
    [](const testing::TestParamInfo<FolderCase>& param) { return param.param.name; });

TEST(LoadSettings, TakesTheOtherValuesAsStored) {
  MemorySettingsStore store;
  store.Values = {{"DownloadThread", " 7 "}, {"ProxyServer", " proxy "}, {"ProxyPort", "abc"},
                  {"AuthName", "me"},        {"AuthPass", "secret"},     {"PreviewVisible", "x"},
                  {"GridVisible", "y"}};
  AppSettings settings = Loaded(store);
  EXPECT_EQ(settings.DownloadThread, " 7 ");
  EXPECT_EQ(settings.ProxyServer, " proxy ");
  EXPECT_EQ(settings.ProxyPort, "abc");
  EXPECT_EQ(settings.AuthName, "me");
  EXPECT_EQ(settings.AuthPass, "secret");
  EXPECT_EQ(settings.PreviewVisible, "x");
  EXPECT_EQ(settings.GridVisible, "y");
  store.Values["DownloadThread"] = "\t";
  EXPECT_EQ(Loaded(store).DownloadThread, "3");
}

TEST(SaveSettings, WritesAllEightInOrderThenTheAdvancedOptions) {
  MemorySettingsStore store;
  AppSettings settings = Loaded(store);
  SaveSettings(store, settings);
  std::vector<std::string> order{"DownFolder",     "DownloadThread", "ProxyServer",
                                 "ProxyPort",      "AuthName",       "AuthPass",
                                 "PreviewVisible", "GridVisible",    "GalleryKind"};
  for (const AdvancedOption& option : AdvancedOptions()) order.push_back(option.StoredName);
  for (const AdvancedNumber& number : AdvancedNumbers()) order.push_back(number.StoredName);
  order.insert(order.end(), {"SortBy", "SortReversed", "SortingFolder", "SecondSortingFolder"});
  EXPECT_EQ(store.WriteOrder, order);
  EXPECT_EQ(store.Values.at("GridVisible"), "");
  // The classic gallery until the modern one has been picked.
  EXPECT_FALSE(settings.ModernGallery);
  settings.ModernGallery = true;
  SaveSettings(store, settings);
  EXPECT_EQ(store.Values.at("GalleryKind"), "modern");
  EXPECT_TRUE(Loaded(store).ModernGallery);
}

TEST(LoadSettings, AdvancedOptionsKeepTheirDefaultsUnlessStoredAsOneOrZero) {
  MemorySettingsStore store;
  AppSettings settings = Loaded(store);
  EXPECT_EQ(settings.Advanced, AdvancedSettings{});
  EXPECT_TRUE(settings.Advanced.ExifOrientation);
  EXPECT_FALSE(settings.Advanced.ListModernPictures);

  store.Values = {{"ListModernPictures", "1"}, {"ExifOrientation", " 0 "}, {"KeepOneCopy", "yes"}};
  settings = Loaded(store);
  EXPECT_TRUE(settings.Advanced.ListModernPictures);
  EXPECT_FALSE(settings.Advanced.ExifOrientation);
  EXPECT_FALSE(settings.Advanced.KeepOneCopy) << "a hand-edited value keeps the default";

  settings.Advanced.RealSizeFilter = true;
  SaveSettings(store, settings);
  EXPECT_EQ(Loaded(store).Advanced, settings.Advanced);
}

TEST(LoadSettings, AnAdvancedNumberOutsideItsRangeKeepsTheDefault) {
  MemorySettingsStore store;
  const int pagesAtOnce = AdvancedSettings{}.PagesAtOnce;
  for (const char* stored : {"0", "17", "-4", "x", "4.5", "0x8", ""}) {
    store.Values = {{"PagesAtOnce", stored}};
    EXPECT_EQ(Loaded(store).Advanced.PagesAtOnce, pagesAtOnce) << stored;
  }
  store.Values = {{"PagesAtOnce", " 16 "}};
  EXPECT_EQ(Loaded(store).Advanced.PagesAtOnce, 16);
  store.Values = {{"PagesAtOnce", "1"}};
  AppSettings settings = Loaded(store);
  EXPECT_EQ(settings.Advanced.PagesAtOnce, 1);
  SaveSettings(store, settings);
  EXPECT_EQ(store.Values.at("PagesAtOnce"), "1");
}

TEST(ThreadsFieldValue, BringsNumbersIntoRange) {
  EXPECT_EQ(ThreadsFieldValue("25", 1), 10);
  EXPECT_EQ(ThreadsFieldValue("0", 1), 1);
  EXPECT_EQ(ThreadsFieldValue("4", 1), 4);
  EXPECT_EQ(ThreadsFieldValue("", 1), 1);
  EXPECT_EQ(ThreadsFieldValue("many", 3), 3);
  EXPECT_EQ(ThreadsFieldValue("99999999999", 3), 3);
}

TEST(FieldsFromSettings, ShowsTheDefaultsForEmptyOrUnusableValues) {
  AppSettings settings;
  settings.DownloadThread = "lots";
  DownloadSettingsFields fields = FieldsFromSettings(settings, kDefaultDownFolder);
  EXPECT_EQ(fields.Folder, "/opt/vexilo/pictures");
  EXPECT_EQ(fields.Threads, 3);
}

TEST(AcceptFields, BlankFolderStoresTheDefaultAndReloads) {
  MemorySettingsStore store;
  AppSettings settings = Loaded(store);
  DownloadSettingsFields fields;
  fields.Folder = "  ";
  fields.Threads = 5;
  fields.ProxyServer = " host ";
  AcceptFields(fields, kDefaultDownFolder, store, settings);
  EXPECT_EQ(store.Values.at("DownFolder"), "/opt/vexilo/pictures");
  EXPECT_EQ(store.Values.at("DownloadThread"), "5");
  EXPECT_EQ(settings.ProxyServer, " host ");

  fields.Folder = "/data/new/";
  AcceptFields(fields, kDefaultDownFolder, store, settings);
  EXPECT_EQ(store.Values.at("DownFolder"), "/data/new/");
  EXPECT_EQ(settings.DownFolder, "/data/new");
}

TEST(AcceptFields, KeepsTheNewValuesWhenTheStoreFails) {
  MemorySettingsStore store;
  AppSettings settings = Loaded(store);
  store.FailWrite = true;
  DownloadSettingsFields fields;
  fields.Folder = "/data/new";
  fields.Threads = 2;
  EXPECT_THROW(AcceptFields(fields, kDefaultDownFolder, store, settings), FileError);
  EXPECT_EQ(settings.DownFolder, "/data/new");
  EXPECT_EQ(settings.DownloadThread, "2");
}

}  // namespace
}  // namespace vexilo
