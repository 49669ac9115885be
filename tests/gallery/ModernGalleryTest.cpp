#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/Errors.h"
#include "core/PictureHeader.h"
#include "gallery/HtmlText.h"
#include "gallery/ModernGallery.h"
#include "gallery/ModernGalleryPage.h"
#include "pictures/DecodePicture.h"
#include "pictures/WebpDecoder.h"
#include "support/RealPhotos.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

struct SizeCase {
  int Width, Height;
  ThumbSize One, Two;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.Width << " x " << c.Height; }

class ModernThumbSizeTest : public testing::TestWithParam<SizeCase> {};

TEST_P(ModernThumbSizeTest, KeepsTheAspectRatioAndNeverEnlarges) {
  const SizeCase& c = GetParam();
  EXPECT_EQ(ModernThumbSize(c.Width, c.Height, 1), c.One);
  EXPECT_EQ(ModernThumbSize(c.Width, c.Height, 2), c.Two);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, ModernThumbSizeTest,
    testing::Values(SizeCase{3000, 2000, {360, 240}, {720, 480}},  // wide photo
                    SizeCase{1080, 1920, {135, 240}, {270, 480}},  // tall photo
                    SizeCase{300, 300, {240, 240}, {300, 300}},    // between the sizes
                    SizeCase{127, 64, {127, 64}, {127, 64}},       // tiny: as it is
                    SizeCase{12000, 400, {960, 32}, {1920, 64}},   // panorama: width capped
                    SizeCase{20000, 1, {960, 1}, {1920, 1}},       // a strip stays 1 high
                    SizeCase{1, 9000, {1, 240}, {1, 480}},         // never 0 wide
                    SizeCase{0, 100, {}, {}}));                    // no size, no thumbnail

std::optional<PictureDimensions> FileSize(const fs::path& file) {
  return ReadPictureDimensions(test::ReadFileBytes(file));
}

// Mean difference of two same-sized pictures per colour level: a few levels for two
// encodings of one thumbnail, tens for one upside down or with red and blue swapped.
double MeanDifference(const Bitmap24& a, const Bitmap24& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Empty()) return 255;
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width() * 3; ++x) sum += std::abs(a.Row(y)[x] - b.Row(y)[x]);
  }
  return sum / (3.0 * a.Width() * a.Height());
}

class ModernGalleryTest : public testing::Test {
 protected:
  // A real picture copied in under `name`.
  void AddPicture(const fs::path& from, const std::string& name, std::string address = "",
                  std::string page = "") {
    fs::create_directories(mDir / "in");
    const fs::path to = mDir / "in" / name;
    fs::copy_file(from, to);
    mParts.Pictures.push_back({to.string(), std::move(address), std::move(page)});
  }
  ModernGalleryResult Write() { return WriteModernGallery(mParts, Out("")); }
  // The page the checkers read: every kind of entry, with names and addresses that need
  // escaping.
  fs::path WritePage() {
    AddPicture(test::TestData("libjpeg-turbo-testimages/testorig.jpg"), "a \"b\" & <c> #%.jpg",
               "https://example.org/x y.jpg", "https://example.org/?a=1&b=2");
    mParts.Pictures.push_back({(mDir / "missing.jpg").string()});
    Write();
    return Out("index.html");
  }
  // What a checker run through the shell said, both streams; empty when it passed.
  std::string Run(const std::string& command) {
    const fs::path report = mDir / "report.txt";
    const int status = std::system((command + " >'" + report.string() + "' 2>&1").c_str());
    std::string said = test::ReadFileBytes(report);
    if (status != 0 && said.empty()) said = "exit status " + std::to_string(status);
    return said;
  }
  fs::path Out(const std::string& name) const { return mDir / "out" / name; }

  test::TempDir mDir;
  ModernGalleryParts mParts{.Pictures = {}, .Title = "Trip <2026> & \"more\"", .Threads = 2};
};

TEST_F(ModernGalleryTest, WritesOneSelfContainedFolderWithBothThumbnailSizes) {
  const std::vector<fs::path> photos = test::WallpaperPhotos(1);
  if (photos.empty()) GTEST_SKIP() << "no wallpaper photos installed";
  const fs::path wide = mDir / "wide.jpg";
  const fs::path tall = mDir / "tall.jpg";
  ASSERT_TRUE(test::ConvertPicture(photos[0], "-gravity center -crop 1920x1080+0+0 +repage", wide));
  ASSERT_TRUE(test::ConvertPicture(wide, "-rotate 90", tall));
  AddPicture(wide, "wide photo 'one' #1.jpg", "https://example.org/a b/wide.jpg?x=1&y=\"2\"",
             "https://example.org/gallery?page=2#top");
  AddPicture(tall, "tall 100% \xC3\xA9t\xC3\xA9.jpg");
  AddPicture(test::TestData("bmpsuite/g/pal8.bmp"), "tiny \"quoted\" <b>.bmp");
  AddPicture(test::TestData("libjpeg-turbo-testimages/testorig.jpg"), "bad \xFF name.jpg",
             "javascript:alert(1)");
  fs::create_directories(mDir / "in");
  test::WriteFileBytes(mDir / "in" / "broken.jpg", "not a picture");
  mParts.Pictures.push_back({(mDir / "in" / "broken.jpg").string()});

  const ModernGalleryResult result = Write();
  EXPECT_EQ(result.Index, Out("index.html"));
  EXPECT_EQ(result.Thumbnails, 4);
  EXPECT_EQ(result.Copied, 5);

  // 1x and 2x of each, as the picture's size gives them.
  const ThumbSize expected[][2] = {{{427, 240}, {853, 480}},
                                   {{135, 240}, {270, 480}},
                                   {{127, 64}, {127, 64}},
                                   {{227, 149}, {227, 149}}};
  // The WebP beside each JPEG, through our own decoder, is the same picture the same way up.
  for (int i = 0; i < 4; ++i) {
    for (int scale : {1, 2}) {
      const auto size = FileSize(Out("thumbs/" + ModernThumbName(i, scale)));
      ASSERT_TRUE(size) << i << " at " << scale;
      EXPECT_EQ((ThumbSize{size->Width, size->Height}), expected[i][scale - 1])
          << i << " at " << scale;
      const ReducedPicture webp =
          DecodeWebp(Out("thumbs/" + ModernThumbName(i, scale, ThumbFormat::Webp)), 0);
      EXPECT_EQ((ThumbSize{webp.FullWidth, webp.FullHeight}), expected[i][scale - 1])
          << i << " at " << scale;
      const ReducedPicture jpeg =
          DecodeReducedPicture(Out("thumbs/" + ModernThumbName(i, scale)), 0);
      EXPECT_LT(MeanDifference(webp.Pixels, jpeg.Pixels), 6) << i << " at " << scale;
    }
  }
  for (ThumbFormat format : {ThumbFormat::Jpeg, ThumbFormat::Webp}) {
    EXPECT_FALSE(fs::exists(Out("thumbs/" + ModernThumbName(4, 1, format))));
  }
  for (const auto& picture : mParts.Pictures) {
    const fs::path copy = Out("pictures") / fs::path(picture.Path).filename();
    EXPECT_EQ(test::ReadFileBytes(copy), test::ReadFileBytes(picture.Path)) << copy;
  }

  const std::string page = test::ReadFileBytes(Out("index.html"));
  // Names are escaped in text and attributes and percent-encoded in links; bytes that are no
  // UTF-8 become U+FFFD; only web addresses are kept, and none can leave its attribute.
  for (const char* part : {
           "<title>Trip &lt;2026&gt; &amp; &quot;more&quot;</title>",
           "href=\"pictures/wide%20photo%20'one'%20%231.jpg\"",
           "data-name=\"wide photo 'one' #1.jpg\" data-w=\"1920\" data-h=\"1080\"",
           "data-src=\"https://example.org/a%20b/wide.jpg?x=1&amp;y=%222%22\"",
           "data-page=\"https://example.org/gallery?page=2#top\"",
           "<picture><source type=\"image/webp\" srcset=\"thumbs/0.webp 1x, thumbs/0-2x.webp "
           "2x\"><img src=\"thumbs/0.jpg\" srcset=\"thumbs/0.jpg 1x, thumbs/0-2x.jpg 2x\" "
           "width=\"427\" height=\"240\" alt=\"wide photo 'one' #1.jpg\" "
           "loading=\"lazy\"></picture></a>",
           "href=\"pictures/tall%20100%25%20%C3%A9t%C3%A9.jpg\"",
           "alt=\"tall 100% \xC3\xA9t\xC3\xA9.jpg\"",
           "alt=\"tiny &quot;quoted&quot; &lt;b&gt;.bmp\"",
           "href=\"pictures/bad%20%FF%20name.jpg\" style=\"--r:1.523\" "
           "data-name=\"bad \xEF\xBF\xBD name.jpg\" data-w=\"227\" data-h=\"149\">",
           "<span>broken.jpg</span>",
       }) {
    EXPECT_NE(page.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(page.find("javascript:"), std::string::npos);
  EXPECT_EQ(page.find("http", page.find("<script>")), std::string::npos) << "no request out";
}

TEST_F(ModernGalleryTest, NeverReplacesAPictureOrWritesThroughALink) {
  AddPicture(test::TestData("libjpeg-turbo-testimages/testorig.jpg"), "a.jpg");
  AddPicture(test::TestData("bmpsuite/g/pal8.bmp"), "b.bmp");
  fs::create_directories(Out("pictures"));
  fs::create_directories(Out("thumbs"));
  test::WriteFileBytes(Out("pictures/a.jpg"), "kept");
  test::WriteFileBytes(mDir / "outside", "outside");
  fs::create_symlink(mDir / "outside", Out("pictures/b.bmp"));
  fs::create_symlink(mDir / "outside", Out("thumbs/0.jpg"));
  fs::create_symlink(mDir / "outside", Out("thumbs/0-2x.webp"));

  const ModernGalleryResult result = Write();
  EXPECT_EQ(result.Copied, 0);
  EXPECT_EQ(result.Thumbnails, 2);
  EXPECT_EQ(test::ReadFileBytes(Out("pictures/a.jpg")), "kept");
  EXPECT_EQ(test::ReadFileBytes(mDir / "outside"), "outside");
  EXPECT_FALSE(fs::is_symlink(Out("thumbs/0.jpg")));
  EXPECT_FALSE(fs::is_symlink(Out("thumbs/0-2x.webp")));

  // A folder of the gallery that is a link is refused before anything is written into it.
  fs::remove_all(Out("thumbs"));
  fs::create_directories(mDir / "elsewhere");
  fs::create_directory_symlink(mDir / "elsewhere", Out("thumbs"));
  EXPECT_THROW(Write(), FileError);
  EXPECT_TRUE(fs::is_empty(mDir / "elsewhere"));
}

// The page passes the HTML checker's rules, when one is installed.
TEST_F(ModernGalleryTest, PagePassesTidy) {
  if (std::system("command -v tidy >/dev/null 2>&1") != 0) GTEST_SKIP() << "tidy is missing";
  const fs::path page = WritePage();
  std::istringstream report(Run("tidy -q -e --show-warnings yes '" + page.string() + "'"));
  // Debian's tidy predates loading="lazy"; everything else it says is a fault.
  std::string complaints;
  for (std::string line; std::getline(report, line);) {
    if (line.find("proprietary attribute \"loading\"") != std::string::npos) continue;
    complaints += line + "\n";
  }
  EXPECT_EQ(complaints, "");
}

// The W3C's own checker (vnu.jar of the npm package vnu-jar, on a Java runtime), found through
// VEXILO_VNU_JAR in the environment or the CMake cache; skipped without it, so that no run
// needs the network.
TEST_F(ModernGalleryTest, PagePassesTheNuHtmlChecker) {
  const char* fromEnvironment = std::getenv("VEXILO_VNU_JAR");
  const std::string jar = fromEnvironment != nullptr && *fromEnvironment != '\0'
                              ? fromEnvironment
                              : std::string(VEXILO_VNU_JAR);
  if (jar.empty() || !fs::is_regular_file(jar)) {
    GTEST_SKIP() << "set VEXILO_VNU_JAR to the Nu Html Checker's vnu.jar to run it";
  }
  if (std::system("command -v java >/dev/null 2>&1") != 0) GTEST_SKIP() << "java is missing";
  const fs::path page = WritePage();
  EXPECT_EQ(Run("java -jar '" + jar + "' --errors-only '" + page.string() + "'"), "");
}

}  // namespace
}  // namespace vexilo
