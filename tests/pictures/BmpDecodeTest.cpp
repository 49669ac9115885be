#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "PictureCompare.h"
#include "pictures/DecodePicture.h"
#include "pictures/PictureError.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::TestData;

struct SuiteFile {
  const char* file;
  // Reference pictures in bmpsuite/html; any one of them matching is enough.
  std::vector<const char*> references;
  // Per channel: the references scale n-bit channels properly, decoders may round.
  int tolerance = 0;
};

void PrintTo(const SuiteFile& row, std::ostream* out) { *out << row.file; }

std::string FirstDifference(const Bitmap24& bitmap, const SuiteFile& row) {
  std::string difference;
  for (const char* reference : row.references) {
    difference = test::DifferenceFrom(
        bitmap, test::LoadReference(TestData(std::string("bmpsuite/html/") + reference)),
        row.tolerance);
    if (difference.empty()) return "";
  }
  return difference;
}

class GoodBmpTest : public testing::TestWithParam<SuiteFile> {};

TEST_P(GoodBmpTest, DecodesToTheReferencePixels) {
  const SuiteFile& row = GetParam();
  Bitmap24 bitmap = DecodePicture(TestData(std::string("bmpsuite/") + row.file));
  EXPECT_EQ(FirstDifference(bitmap, row), "");
}

INSTANTIATE_TEST_SUITE_P(
    Bmpsuite, GoodBmpTest,
    testing::Values(
        SuiteFile{"g/pal1.bmp", {"pal1.png"}}, SuiteFile{"g/pal1wb.bmp", {"pal1.png"}},
        SuiteFile{"g/pal1bg.bmp", {"pal1bg.png"}}, SuiteFile{"g/pal4.bmp", {"pal4.png"}},
        SuiteFile{"g/pal4gs.bmp", {"pal4gs.png"}}, SuiteFile{"g/pal4rle.bmp", {"pal4.png"}},
        SuiteFile{"g/pal8.bmp", {"pal8.png"}}, SuiteFile{"g/pal8-0.bmp", {"pal8.png"}},
        SuiteFile{"g/pal8gs.bmp", {"pal8gs.png"}}, SuiteFile{"g/pal8rle.bmp", {"pal8.png"}},
        SuiteFile{"g/pal8w126.bmp", {"pal8w126.png"}},
        SuiteFile{"g/pal8w125.bmp", {"pal8w125.png"}},
        SuiteFile{"g/pal8w124.bmp", {"pal8w124.png"}}, SuiteFile{"g/pal8topdown.bmp", {"pal8.png"}},
        SuiteFile{"g/pal8nonsquare.bmp", {"pal8nonsquare-e.png"}},
        SuiteFile{"g/pal8os2.bmp", {"pal8.png"}}, SuiteFile{"g/pal8v4.bmp", {"pal8.png"}},
        SuiteFile{"g/pal8v5.bmp", {"pal8.png"}}, SuiteFile{"g/rgb16.bmp", {"rgb16.png"}, 1},
        SuiteFile{"g/rgb16bfdef.bmp", {"rgb16.png"}, 1},
        SuiteFile{"g/rgb16-565.bmp", {"rgb16-565.png"}, 1},
        SuiteFile{"g/rgb16-565pal.bmp", {"rgb16-565.png"}, 1},
        SuiteFile{"g/rgb24.bmp", {"rgb24.png"}}, SuiteFile{"g/rgb24pal.bmp", {"rgb24.png"}},
        SuiteFile{"g/rgb32.bmp", {"rgb24.png"}}, SuiteFile{"g/rgb32bfdef.bmp", {"rgb24.png"}},
        SuiteFile{"g/rgb32bf.bmp", {"rgb24.png"}}));

// Questionable files may be refused; what is decoded must be the reference picture.
class QuestionableBmpTest : public testing::TestWithParam<SuiteFile> {};

TEST_P(QuestionableBmpTest, DecodesToTheReferenceOrIsRefused) {
  const SuiteFile& row = GetParam();
  try {
    Bitmap24 bitmap = DecodePicture(TestData(std::string("bmpsuite/") + row.file));
    if (!row.references.empty()) {
      EXPECT_EQ(FirstDifference(bitmap, row), "");
    }
  } catch (const PictureError& error) {
    EXPECT_NE(std::string(error.what()).find(row.file), std::string::npos) << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bmpsuite, QuestionableBmpTest,
    testing::Values(
        SuiteFile{"q/pal1p1.bmp", {"pal1p1.png"}}, SuiteFile{"q/pal1huffmsb.bmp", {"pal1.png"}},
        SuiteFile{"q/pal2.bmp", {"pal2.png"}}, SuiteFile{"q/pal2color.bmp", {"pal2color.png"}},
        SuiteFile{"q/pal4rletrns.bmp",
                  {"pal4rletrns.png", "pal4rletrns-0.png", "pal4rletrns-b.png"}},
        SuiteFile{"q/pal4rlecut.bmp", {"pal4rlecut.png", "pal4rlecut-0.png", "pal4rlecut-b.png"}},
        SuiteFile{"q/pal8rletrns.bmp",
                  {"pal8rletrns.png", "pal8rletrns-0.png", "pal8rletrns-b.png"}},
        SuiteFile{"q/pal8rlecut.bmp", {"pal8rlecut.png", "pal8rlecut-0.png", "pal8rlecut-b.png"}},
        SuiteFile{"q/pal8offs.bmp", {"pal8.png"}}, SuiteFile{"q/pal8oversizepal.bmp", {"pal8.png"}},
        SuiteFile{"q/pal8os2-sz.bmp", {"pal8.png"}}, SuiteFile{"q/pal8os2-hs.bmp", {"pal8.png"}},
        SuiteFile{"q/pal8os2sp.bmp", {"pal8.png"}}, SuiteFile{"q/pal8os2v2.bmp", {"pal8.png"}},
        SuiteFile{"q/pal8os2v2-16.bmp", {"pal8.png"}},
        SuiteFile{"q/pal8os2v2-sz.bmp", {"pal8.png"}},
        SuiteFile{"q/pal8os2v2-40sz.bmp", {"pal8.png"}},
        SuiteFile{"q/rgb16faketrns.bmp", {"rgb16.png"}, 1},
        SuiteFile{"q/rgb16-231.bmp", {"rgb16-231.png"}, 1},
        SuiteFile{"q/rgb16-3103.bmp", {"rgb16-3103.png"}, 1},
        SuiteFile{"q/rgba16-4444.bmp", {"rgba16-4444.png"}, 1},
        SuiteFile{"q/rgba16-5551.bmp", {"rgba16-5551.png"}, 1},
        SuiteFile{"q/rgba16-1924.bmp", {"rgba16-1924.png"}, 1},
        SuiteFile{"q/rgb24largepal.bmp", {"rgb24.png"}},
        SuiteFile{"q/rgb24prof.bmp", {"rgb24.png"}},
        // Matches its reference only under colour management, which a bitmap reader lacks.
        SuiteFile{"q/rgb24prof2.bmp", {}}, SuiteFile{"q/rgb24lprof.bmp", {"rgb24.png"}},
        // The embedded JPEG is lossy; its reference is a JPEG too.
        SuiteFile{"q/rgb24jpeg.bmp", {}}, SuiteFile{"q/rgb24png.bmp", {"rgb24.png"}},
        SuiteFile{"q/rgb24rle24.bmp", {"pal8.png"}}, SuiteFile{"q/rgb32h52.bmp", {"rgb24.png"}},
        SuiteFile{"q/rgb32-xbgr.bmp", {"rgb24.png"}},
        SuiteFile{"q/rgb32fakealpha.bmp", {"rgb24.png"}},
        SuiteFile{"q/rgb32-111110.bmp", {"rgb24.png"}, 1},
        SuiteFile{"q/rgb32-7187.bmp", {"rgb32-7187.png"}, 1},
        SuiteFile{"q/rgba32-1.bmp", {"rgba32.png"}}, SuiteFile{"q/rgba32-2.bmp", {"rgba32.png"}},
        SuiteFile{"q/rgba32-1010102.bmp", {"rgba32-1010102.png"}, 1},
        SuiteFile{"q/rgba32-81284.bmp", {"rgba32-81284.png"}, 1},
        SuiteFile{"q/rgba32-61754.bmp", {"rgba32-61754.png"}, 1},
        SuiteFile{"q/rgba32abf.bmp", {"rgba32.png"}}, SuiteFile{"q/rgba32h56.bmp", {"rgba32.png"}},
        SuiteFile{"q/rgba64.bmp", {"rgba32.png"}}));

TEST(BadBmpTest, EveryBadFileIsRefusedOrDecodedWithinLimits) {
  const std::vector<std::string> mustRefuse = {"b/badbitcount.bmp", "b/badheadersize.bmp",
                                               "b/badwidth.bmp", "b/reallybig.bmp", "x/ba-bm.bmp"};
  int seen = 0;
  for (const char* folder : {"b", "x"}) {
    for (const auto& entry :
         std::filesystem::directory_iterator(TestData(std::string("bmpsuite/") + folder))) {
      std::string name = std::string(folder) + "/" + entry.path().filename().string();
      SCOPED_TRACE(name);
      ++seen;
      bool refuse = std::find(mustRefuse.begin(), mustRefuse.end(), name) != mustRefuse.end();
      try {
        Bitmap24 bitmap = DecodePicture(entry.path());
        EXPECT_FALSE(refuse) << "decoded " << bitmap.Width() << "x" << bitmap.Height();
        EXPECT_LE(static_cast<long long>(bitmap.Width()) * bitmap.Height(), 127 * 64);
      } catch (const PictureError& error) {
        EXPECT_NE(std::string(error.what()).find(name), std::string::npos) << error.what();
      }
    }
  }
  EXPECT_EQ(seen, 21);
}

}  // namespace
}  // namespace vexilo
