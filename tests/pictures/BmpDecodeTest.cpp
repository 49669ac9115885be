#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "CorpusManifest.h"
#include "PictureCompare.h"
#include "pictures/DecodePicture.h"
#include "pictures/PictureError.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::TestData;

// The suite's README lists each file with its reference picture(s); references scale n-bit
// channels exactly, so one step per channel is allowed (as Firefox's reftests do).
constexpr int kTolerance = 1;

std::vector<std::vector<std::string>> SuiteRows(const std::string& folder) {
  std::vector<std::vector<std::string>> rows;
  for (auto& row : test::ManifestRows(TestData("bmpsuite/README.md"), ".bmp")) {
    if (row[0].rfind(folder, 0) == 0) rows.push_back(row);
  }
  return rows;
}

// "pal4rletrns.png (transparent), -0.png (index 0), -b.png (black)" names three pictures.
std::vector<std::string> References(const std::string& cell) {
  auto isNameChar = [](char c) { return c == '-' || std::isalnum(static_cast<unsigned char>(c)); };
  std::vector<std::string> names;
  for (size_t end = cell.find(".png"); end != std::string::npos; end = cell.find(".png", end + 1)) {
    size_t begin = end;
    while (begin > 0 && isNameChar(cell[begin - 1])) --begin;
    std::string stem = cell.substr(begin, end - begin);
    if (stem.empty()) continue;
    if (stem[0] == '-' && !names.empty())
      stem = names.front().substr(0, names.front().size() - 4) + stem;
    names.push_back(stem + ".png");
  }
  return names;
}

// "b/badrle.bmp, b/badrlebis.bmp" names two files.
std::vector<std::string> Files(const std::string& cell) {
  std::vector<std::string> files;
  for (size_t begin = 0; begin < cell.size();) {
    size_t comma = cell.find(", ", begin);
    if (comma == std::string::npos) comma = cell.size();
    files.push_back(cell.substr(begin, comma - begin));
    begin = comma + 2;
  }
  return files;
}

std::string DifferenceFromAny(const Bitmap24& bitmap, const std::vector<std::string>& names) {
  std::string difference = "no reference";
  for (const std::string& name : names) {
    difference = test::DifferenceFrom(
        bitmap, test::LoadReference(TestData("bmpsuite/html/" + name)), kTolerance);
    if (difference.empty()) break;
  }
  return difference;
}

TEST(BmpDecodeTest, EveryGoodFileDecodesToItsReference) {
  auto rows = SuiteRows("g/");
  ASSERT_EQ(rows.size(), 27u);
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    Bitmap24 bitmap = DecodePicture(TestData("bmpsuite/" + row[0]));
    EXPECT_EQ(DifferenceFromAny(bitmap, References(row[2])), "");
  }
}

// Questionable files may be refused; what is decoded must be the reference picture.
TEST(BmpDecodeTest, QuestionableFilesDecodeToTheirReferenceOrAreRefused) {
  auto rows = SuiteRows("q/");
  ASSERT_EQ(rows.size(), 43u);
  int decoded = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    try {
      Bitmap24 bitmap = DecodePicture(TestData("bmpsuite/" + row[0]));
      ++decoded;
      // Matches its reference only under colour management, which a bitmap reader lacks.
      if (row[0] != "q/rgb24prof2.bmp") {
        EXPECT_EQ(DifferenceFromAny(bitmap, References(row[2])), "");
      }
    } catch (const PictureError& error) {
      EXPECT_NE(std::string(error.what()).find(row[0]), std::string::npos) << error.what();
    }
  }
  EXPECT_GE(decoded, 35);
}

// Bad files must never crash or over-allocate. What both browsers reject is refused here
// too; what both accept must show its reference picture.
TEST(BmpDecodeTest, BadFilesAreRefusedOrDecodedWithinLimits) {
  auto rows = SuiteRows("b/");
  auto other = SuiteRows("x/");
  rows.insert(rows.end(), other.begin(), other.end());
  int files = 0;
  for (const auto& row : rows) {
    const std::string& verdict = row.back();
    bool refuse = verdict == "both reject" || row[0] == "b/reallybig.bmp";
    bool accept = verdict.rfind("both accept (", 0) == 0;
    for (const std::string& name : Files(row[0])) {
      SCOPED_TRACE(name);
      ++files;
      try {
        Bitmap24 bitmap = DecodePicture(TestData("bmpsuite/" + name));
        EXPECT_FALSE(refuse);
        EXPECT_LE(bitmap.Width() * bitmap.Height(), 127 * 64);
        if (accept) {
          EXPECT_EQ(DifferenceFromAny(bitmap, References(verdict)), "");
        }
      } catch (const PictureError& error) {
        EXPECT_FALSE(accept) << error.what();
        EXPECT_NE(std::string(error.what()).find(name), std::string::npos) << error.what();
      }
    }
  }
  EXPECT_EQ(files, 21);
}

}  // namespace
}  // namespace vexilo
