#include <gtest/gtest.h>

#include <string>

#include "CorpusManifest.h"
#include "PictureCompare.h"
#include "TestJpeg.h"
#include "pictures/DecodePicture.h"
#include "pictures/PictureError.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::TestData;

TEST(JpegDecodeTest, BaselineFileIsCloseToItsSource) {
  Bitmap24 bitmap = DecodePicture(TestData("libjpeg-turbo-testimages/testorig.jpg"));
  QImage source = test::LoadReference(TestData("libjpeg-turbo-testimages/testorig.ppm"));
  EXPECT_EQ(test::DifferenceFrom(bitmap, source, 3), "");
}

TEST(JpegDecodeTest, ArithmeticCodingGivesTheSamePixelsAsHuffman) {
  Bitmap24 huffman = DecodePicture(TestData("libjpeg-turbo-testimages/testimgint.jpg"));
  Bitmap24 arithmetic = DecodePicture(TestData("libjpeg-turbo-testimages/testimgari.jpg"));
  EXPECT_EQ(huffman.Width(), 227);
  EXPECT_TRUE(huffman == arithmetic);
}

TEST(JpegDecodeTest, TwelveBitFileIsRefused) {
  try {
    DecodePicture(TestData("libjpeg-turbo-testimages/monkey12.jpg"));
    FAIL() << "decoded";
  } catch (const PictureError& error) {
    EXPECT_NE(std::string(error.what()).find("precision 12"), std::string::npos);
  }
}

// Crafted files with hundreds of scans only burn time; real progressive files have about ten.
TEST(JpegDecodeTest, FileWithTooManyScansIsRefused) {
  test::TempDir dir;
  Bitmap24 picture(64, 48);
  picture.Fill(0x336699);
  test::WriteManyScanJpeg(dir / "scans.jpg", picture);
  try {
    DecodePicture(dir / "scans.jpg");
    FAIL() << "decoded";
  } catch (const PictureError& error) {
    EXPECT_NE(std::string(error.what()).find("too many scans"), std::string::npos) << error.what();
  }
}

// libjpeg cannot turn CMYK into RGB by itself; Adobe's inverted CMYK must come out in colour.
TEST(JpegDecodeTest, AdobeCmykComesOutAsRgb) {
  test::TempDir dir;
  struct Row {
    std::uint8_t cmyk[4];
    std::uint32_t rgb;
  };
  for (const Row& row : {Row{{255, 0, 0, 255}, 0xFF0000}, Row{{0, 255, 255, 255}, 0x00FFFF},
                         Row{{255, 255, 255, 0}, 0x000000}, Row{{255, 255, 255, 255}, 0xFFFFFF}}) {
    SCOPED_TRACE(row.rgb);
    test::WriteAdobeCmykJpeg(dir / "cmyk.jpg", 16, 8, row.cmyk);
    Bitmap24 bitmap = DecodePicture(dir / "cmyk.jpg");
    ASSERT_EQ(bitmap.Width(), 16);
    QImage expected(16, 8, QImage::Format_RGB32);
    expected.fill(QColor::fromRgb(row.rgb));
    EXPECT_EQ(test::DifferenceFrom(bitmap, expected, 2), "");
  }
}

// Every row of the malformed corpus: pictures libjpeg decodes completely come out (also
// when junk follows the last row), a file that ends early or whose header or start fails is
// refused. CMYK is converted here, so those files decode too.
TEST(JpegDecodeTest, MalformedCorpusDecodesOrFailsCleanly) {
  auto rows = test::ManifestRows(TestData("imagetestsuite/README.md"), ".jpg");
  ASSERT_EQ(rows.size(), 98u);
  int decoded = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    ASSERT_GE(row.size(), 6u);
    const std::string& outcome = row[4];
    bool cmyk = row[5].find("Unsupported color conversion") != std::string::npos;
    bool complete = outcome.find("decodes cleanly") != std::string::npos ||
                    outcome.find("all rows decoded") != std::string::npos || cmyk;
    bool warned = outcome.find("with warnings") != std::string::npos;
    std::filesystem::path file = TestData("imagetestsuite/jpg/" + row[0]);
    try {
      Bitmap24 bitmap = DecodePicture(file);
      ++decoded;
      EXPECT_TRUE(complete || warned);
      EXPECT_EQ(std::to_string(bitmap.Width()) + "x" + std::to_string(bitmap.Height()), row[2]);
    } catch (const PictureError& error) {
      std::string text = error.what();
      EXPECT_FALSE(complete) << text;
      if (warned) {
        EXPECT_NE(text.find("Premature end"), std::string::npos) << text;
      }
    }
  }
  EXPECT_GE(decoded, 21);
}

}  // namespace
}  // namespace vexilo
