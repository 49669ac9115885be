#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdint>
#include <string>

#include "PictureCompare.h"
#include "pictures/DecodePicture.h"
#include "pictures/PictureError.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

// The reference drawn onto white, as the decoders show transparency.
QImage OnWhite(const std::string& name) {
  QImage reference = test::LoadReference(test::PictureData(name));
  QImage white(reference.size(), QImage::Format_RGB32);
  white.fill(Qt::white);
  QPainter painter(&white);
  painter.drawImage(0, 0, reference);
  return white;
}

TEST(ModernDecodeTest, EachKindDecodesToItsSourceColours) {
  struct Case {
    const char* file;
    const char* reference;
    int tolerance;
  };
  // Lossy files are measured against the pixels they were made from.
  for (Case c : {Case{"rgb.png", "rgb.png", 0}, Case{"rgba.png", "rgba.png", 2},
                 Case{"palette.png", "palette.png", 0}, Case{"grey.png", "grey.png", 0},
                 Case{"rgb16.png", "rgb.png", 1}, Case{"interlaced.png", "rgb.png", 0},
                 Case{"lossy.webp", "rgb.png", 48}, Case{"alpha.webp", "rgba.png", 2},
                 Case{"animated.webp", "rgb.png", 0}, Case{"photo.avif", "rgb.png", 40},
                 Case{"alpha.avif", "rgba.png", 40}}) {
    SCOPED_TRACE(c.file);
    Bitmap24 bitmap = DecodePicture(test::PictureData(c.file));
    EXPECT_EQ(test::DifferenceFrom(bitmap, OnWhite(c.reference), c.tolerance), "");
  }
}

TEST(ModernDecodeTest, ReducedDecodeScalesWebpOnlyAndKeepsTheFullSize) {
  struct Case {
    const char* file;
    int minLongSide;
    int width;
    int height;
  };
  for (Case c : {Case{"lossy.webp", 32, 32, 21}, Case{"alpha.webp", 48, 48, 32},
                 Case{"lossy.webp", 200, 96, 64}, Case{"animated.webp", 32, 96, 64},
                 Case{"interlaced.png", 32, 96, 64}, Case{"alpha.avif", 32, 96, 64}}) {
    SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.minLongSide));
    DecodeBudget budget(DecodeBudget::kSharedPixels);
    DecodeLease lease(budget);
    ReducedPicture picture = DecodeReducedPicture(test::PictureData(c.file), c.minLongSide, &lease);
    EXPECT_EQ(picture.Pixels.Width(), c.width);
    EXPECT_EQ(picture.Pixels.Height(), c.height);
    EXPECT_EQ(picture.FullWidth, 96);
    EXPECT_EQ(picture.FullHeight, 64);
    EXPECT_GE(budget.PeakHeld(), std::int64_t{c.width} * c.height);
  }
  // Scaled colours stay those of the picture.
  Bitmap24 small = DecodeReducedPicture(test::PictureData("alpha.webp"), 48).Pixels;
  QImage reference =
      OnWhite("rgba.png").scaled(48, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  EXPECT_EQ(test::DifferenceFrom(small, reference, 48), "");
}

TEST(ModernDecodeTest, EmptyTruncatedAndDamagedFilesAreRefused) {
  test::TempDir dir;
  for (std::string name : {"rgb.png", "interlaced.png", "rgb16.png", "lossy.webp", "alpha.webp",
                           "animated.webp", "photo.avif", "alpha.avif"}) {
    SCOPED_TRACE(name);
    const std::string bytes = test::ReadFileBytes(test::PictureData(name));
    const std::filesystem::path cut =
        dir / ("cut" + std::filesystem::path(name).extension().string());
    for (size_t length :
         {size_t{0}, size_t{20}, bytes.size() / 4, bytes.size() / 2, bytes.size() * 3 / 4}) {
      SCOPED_TRACE(length);
      test::WriteFileBytes(cut, bytes.substr(0, length));
      try {
        Bitmap24 bitmap = DecodePicture(cut);
        ADD_FAILURE() << "decoded as " << bitmap.Width() << "x" << bitmap.Height();
      } catch (const PictureError& error) {
        EXPECT_NE(std::string(error.what()).find(cut.string()), std::string::npos) << error.what();
      }
    }
  }
  // A damaged byte in the pixel data of a PNG fails its checksum.
  std::string png = test::ReadFileBytes(test::PictureData("rgb.png"));
  png[png.size() / 2] = static_cast<char>(png[png.size() / 2] ^ 0x55);
  test::WriteFileBytes(dir / "damaged.png", png);
  EXPECT_THROW(DecodePicture(dir / "damaged.png"), PictureError);
}

std::uint32_t Crc32(std::string_view bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (char byte : bytes) {
    crc ^= static_cast<unsigned char>(byte);
    for (int bit = 0; bit < 8; ++bit) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
  }
  return ~crc;
}

std::string Be32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

// The first bytes of a real PNG whose header, with a valid checksum, claims side x side.
std::string PngClaiming(std::uint32_t side, size_t length) {
  std::string png = test::ReadFileBytes(test::PictureData("rgb.png")).substr(0, length);
  png.replace(16, 8, Be32(side) + Be32(side));
  png.replace(29, 4, Be32(Crc32(std::string_view(png).substr(12, 17))));
  return png;
}

std::string Le24(std::uint32_t value) {
  return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16)};
}

void ExpectRefusedUnpaid(const std::filesystem::path& file, const std::string& textPart) {
  DecodeBudget budget(DecodeBudget::kSharedPixels);
  try {
    DecodeLease lease(budget);
    DecodeReducedPicture(file, 64, &lease);
    ADD_FAILURE() << file << " was read";
  } catch (const PictureError& error) {
    EXPECT_NE(std::string(error.what()).find(textPart), std::string::npos) << error.what();
  }
  // Refused from the header: nothing was asked of the budget, so nothing was allocated.
  EXPECT_EQ(budget.PeakHeld(), 0);
}

TEST(ModernDecodeTest, AbsurdSizesAreRefusedBeforeAllocating) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "huge.png", PngClaiming(60000, 100));
  ExpectRefusedUnpaid(dir / "huge.png", "unsupported picture size of 60000 x 60000");
  test::WriteFileBytes(dir / "bomb.png", PngClaiming(8000, 100));
  ExpectRefusedUnpaid(dir / "bomb.png", "cannot come from a file of 100 bytes");

  // An animated WebP's canvas of 9000 x 9000 in a file of a few bytes.
  std::string vp8x = std::string("VP8X") + std::string("\x0A\0\0\0", 4) +
                     std::string("\x02\0\0\0", 4) + Le24(8999) + Le24(8999);
  std::string riff = "WEBP" + vp8x;
  std::string webp = "RIFF" + std::string{static_cast<char>(riff.size()), 0, 0, 0} + riff;
  test::WriteFileBytes(dir / "bomb.webp", webp);
  ExpectRefusedUnpaid(dir / "bomb.webp", "cannot come from a file of");

  std::string avif = test::ReadFileBytes(test::PictureData("photo.avif"));
  size_t ispe = avif.find("ispe");
  ASSERT_NE(ispe, std::string::npos);
  avif.replace(ispe + 8, 8, Be32(8000) + Be32(8000));
  test::WriteFileBytes(dir / "bomb.avif", avif);
  ExpectRefusedUnpaid(dir / "bomb.avif", "cannot come from a file of");

  // A header smaller than the coded frame: the codec may not decode past what was paid for.
  avif.replace(ispe + 8, 8, Be32(48) + Be32(32));
  test::WriteFileBytes(dir / "small.avif", avif);
  EXPECT_THROW(DecodePicture(dir / "small.avif"), PictureError);
}

}  // namespace
}  // namespace vexilo
