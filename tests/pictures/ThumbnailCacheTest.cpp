// The desktop's thumbnail cache: where entries live and how they are named, a fresh entry
// standing in for the decode (with the full size it stores), and every entry that must not
// be trusted ignored and written anew. The cache is always a temporary folder here.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QUrl>
#include <functional>

#include "PictureCompare.h"
#include "pictures/BmpWriter.h"
#include "pictures/PngDecoder.h"
#include "pictures/PngText.h"
#include "pictures/PngWriter.h"
#include "pictures/Thumbnail.h"
#include "pictures/ThumbnailCache.h"
#include "pictures/ThumbnailMaker.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

TEST(ThumbnailCacheNamingTest, FoldersUrisAndNamesAreThoseOtherProgramsUse) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* folder;
  };
  for (const Case& c :
       {Case{"/x/cache", "/h", "/x/cache/thumbnails/normal"},
        Case{"", "/h", "/h/.cache/thumbnails/normal"},
        Case{"relative", "/h", "/h/.cache/thumbnails/normal"}, Case{nullptr, nullptr, ""}}) {
    EXPECT_EQ(ThumbnailCacheFolderFor(c.xdg, c.home).string(), c.folder) << c.folder;
  }
  for (const char* path : {"/home/jens/photos/me.png", "/a b/ü#%?.jpg", "/x/[1]\"<>\\^`{|}.gif",
                           "/keep/!$&'()*+,;=:@-._~.bmp"}) {
    EXPECT_EQ(FileUri(path),
              QUrl::fromLocalFile(QString::fromUtf8(path)).toEncoded().toStdString());
  }
  EXPECT_EQ(ThumbnailCacheName("file:///home/jens/photos/me.png"),
            "c6ee772d9e49320e97ec29a7eb5b1697.png");
}

class ThumbnailCacheTest : public testing::Test {
 protected:
  void SetUp() override {
    Bitmap24 picture(300, 100);
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 300; ++x)
        picture.SetPixel(x, y, static_cast<std::uint32_t>(x * 0x10101 / 2));
    }
    WriteBmp(picture, pictures / "wide.bmp");
    uncached = MakeFileThumbnail(Picture(), test::kFace);
    UseThumbnailCacheFolder(Folder());
  }
  void TearDown() override { UseThumbnailCacheFolder({}); }

  std::filesystem::path Picture() const { return pictures / "wide.bmp"; }
  std::filesystem::path Folder() const { return cacheHome / "thumbnails" / "normal"; }
  std::filesystem::path Entry() const { return Folder() / ThumbnailCacheName(FileUri(Picture())); }
  std::string MTime() const {
    struct stat info {};
    ::stat(Picture().c_str(), &info);
    return std::to_string(info.st_mtime);
  }
  std::map<std::string, std::string> EntryText() const {
    return ReadPngText(ReadFileBytes(Entry()));
  }
  // An entry of the given pixels and texts in place of the picture's.
  void PlaceEntry(const Bitmap24& pixels,
                  const std::vector<std::pair<std::string, std::string>>& texts) const {
    std::filesystem::create_directories(Folder());
    std::filesystem::remove(Entry());
    WriteFileBytes(Entry(), WithPngText(EncodePng(pixels), texts));
  }
  std::vector<std::pair<std::string, std::string>> FreshTexts(const char* width = "300",
                                                              const char* height = "100") const {
    return {{"Thumb::URI", FileUri(Picture())},
            {"Thumb::MTime", MTime()},
            {"Thumb::Image::Width", width},
            {"Thumb::Image::Height", height}};
  }
  static Bitmap24 Green(int width, int height) {
    Bitmap24 green(width, height);
    green.Fill(0x00FF00);
    return green;
  }

  TempDir cacheHome;
  TempDir pictures;
  Bitmap24 uncached;
};

TEST_F(ThumbnailCacheTest, ADecodeLeavesAnOwnerOnlyEntryThatTheNextThumbnailReads) {
  EXPECT_TRUE(MakeFileThumbnail(Picture(), test::kFace) == uncached) << "cold looks like no cache";
  const auto texts = EntryText();
  EXPECT_EQ(texts.at("Thumb::URI"), "file://" + Picture().string());
  EXPECT_EQ(texts.at("Thumb::MTime"), MTime());
  EXPECT_EQ(texts.at("Thumb::Image::Width"), "300");
  EXPECT_EQ(texts.at("Thumb::Image::Height"), "100");
  struct stat info {};
  ASSERT_EQ(::stat(Entry().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(Folder().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder()), {}), 1)
      << "no temporary left";
  EXPECT_TRUE(MakeFileThumbnail(Picture(), test::kFace) == uncached) << "warm looks the same";

  // Pixels the picture does not have prove the entry is read, not the picture.
  PlaceEntry(Green(128, 43), FreshTexts());
  EXPECT_EQ(MakeFileThumbnail(Picture(), test::kFace).Pixel(40, 40), 0x00FF00u);
}

TEST_F(ThumbnailCacheTest, TheGeometryComesFromTheStoredFullSize) {
  // 128 x 64 pixels of a 1000 x 499 picture: the picture area is 31 rows high, not 32.
  PlaceEntry(Green(128, 64), FreshTexts("1000", "499"));
  EXPECT_TRUE(MakeFileThumbnail(Picture(), test::kFace) ==
              MakeThumbnail(Green(128, 64), 1000, 499, test::kFace));
  EXPECT_NE(LayoutThumbnail(1000, 499), LayoutThumbnail(128, 64));
}

TEST_F(ThumbnailCacheTest, AnEntryThatCannotBeTrustedIsIgnoredAndWrittenAnew) {
  struct Case {
    const char* name;
    std::function<void()> place;
  };
  auto texts = [&](const std::string& key, const std::string& value) {
    auto all = FreshTexts();
    std::erase_if(all, [&](const auto& pair) { return pair.first == key; });
    if (!value.empty()) all.emplace_back(key, value);
    PlaceEntry(Green(128, 43), all);
  };
  const std::string stale = std::to_string(std::stoll(MTime()) - 1);
  const std::vector<Case> cases = {
      {"stale", [&] { texts("Thumb::MTime", stale); }},
      {"another file's URI", [&] { texts("Thumb::URI", FileUri(pictures / "other.bmp")); }},
      {"no width", [&] { texts("Thumb::Image::Width", ""); }},
      {"no height", [&] { texts("Thumb::Image::Height", ""); }},
      {"a width that is no number", [&] { texts("Thumb::Image::Width", "300px"); }},
      {"a size past the limits", [&] { texts("Thumb::Image::Width", "99999999"); }},
      {"the other shape", [&] { PlaceEntry(Green(43, 128), FreshTexts()); }},
      {"larger than normal", [&] { PlaceEntry(Green(256, 85), FreshTexts("3000", "1000")); }},
      {"too small to show", [&] { PlaceEntry(Green(12, 4), FreshTexts()); }},
      {"corrupt pixels",
       [&] {
         std::string png =
             WithPngText(EncodePng(Green(128, 43)), {{"Thumb::URI", FileUri(Picture())},
                                                     {"Thumb::MTime", MTime()},
                                                     {"Thumb::Image::Width", "300"},
                                                     {"Thumb::Image::Height", "100"}});
         png.resize(png.size() - 30);
         WriteFileBytes(Entry(), png);
       }},
      {"not a PNG", [&] { WriteFileBytes(Entry(), std::string(5000, 'x')); }},
      {"a pipe",
       [&] {
         std::filesystem::remove(Entry());
         ASSERT_EQ(::mkfifo(Entry().c_str(), 0600), 0);
       }},
      {"a link",
       [&] {
         PlaceEntry(Green(128, 43), FreshTexts());
         std::filesystem::rename(Entry(), cacheHome / "elsewhere.png");
         std::filesystem::create_symlink(cacheHome / "elsewhere.png", Entry());
       }},
  };
  for (const Case& c : cases) {
    std::filesystem::create_directories(Folder());
    std::filesystem::remove(Entry());
    c.place();
    EXPECT_TRUE(MakeFileThumbnail(Picture(), test::kFace) == uncached) << c.name;
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(Entry())))
        << c.name;
    EXPECT_EQ(EntryText().at("Thumb::MTime"), MTime()) << c.name;
    EXPECT_EQ(EntryText().at("Thumb::Image::Width"), "300") << c.name;
  }
  EXPECT_EQ(test::ReadFileBytes(cacheHome / "elsewhere.png").substr(1, 3), "PNG")
      << "a link's target is left alone";
}

// A screen of three device pixels per pixel needs more than the normal size: the "large"
// folder beside it gets the 256-pixel entry, named the same, and the next one reads it.
TEST_F(ThumbnailCacheTest, ASharpThumbnailBeyondTheNormalSizeUsesALargeEntry) {
  const Bitmap24 sharp = MakeSharpFileThumbnail(Picture(), test::kFace, 3);
  EXPECT_EQ(sharp.Width(), 240);
  EXPECT_FALSE(std::filesystem::exists(Entry())) << "the normal entry is not needed";
  const std::filesystem::path large = cacheHome / "thumbnails" / "large" / Entry().filename();
  const std::string png = ReadFileBytes(large);
  EXPECT_EQ(DecodePngBytes(png, large.string()).Width(), 256);
  EXPECT_EQ(ReadPngText(png).at("Thumb::URI"), "file://" + Picture().string());
  EXPECT_TRUE(MakeSharpFileThumbnail(Picture(), test::kFace, 3) == sharp) << "warm looks the same";
  // At ratio 2 the normal size covers the frame.
  MakeSharpFileThumbnail(Picture(), test::kFace, 2);
  EXPECT_TRUE(std::filesystem::exists(Entry()));
}

TEST_F(ThumbnailCacheTest, NothingIsCachedWhenOffNorForTheCacheItself) {
  UseThumbnailCacheFolder({});
  MakeFileThumbnail(Picture(), test::kFace);
  EXPECT_FALSE(std::filesystem::exists(cacheHome / "thumbnails"));

  UseThumbnailCacheFolder(Folder());
  std::filesystem::create_directories(Folder());
  std::filesystem::copy_file(Picture(), Folder() / "x.bmp");
  MakeFileThumbnail(Folder() / "x.bmp", test::kFace);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder()), {}), 1);
}

}  // namespace
}  // namespace vexilo
