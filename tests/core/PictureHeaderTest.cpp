#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "core/PictureHeader.h"
#include "support/TempDir.h"

namespace vexilo {

void PrintTo(const PictureDimensions& size, std::ostream* os) {
  *os << size.Width << " x " << size.Height;
}

namespace {

using namespace std::string_literals;

struct FileCase {
  const char* Path;  // under the shared corpora, or "own/" for this folder's data
  int Width;
  int Height;
};
void PrintTo(const FileCase& c, std::ostream* os) { *os << c.Path; }

std::string ReadCaseBytes(const std::string& path) {
  constexpr std::string_view kOwn = "own/";
  if (path.starts_with(kOwn)) {
    return test::ReadFileBytes(std::filesystem::path(VEXILO_SOURCE_DIR) / "tests/core/data" /
                               path.substr(kOwn.size()));
  }
  return test::ReadFileBytes(test::TestData(path));
}

class RealPictureTest : public testing::TestWithParam<FileCase> {};

TEST_P(RealPictureTest, ReadsTheSizeAndNeverGuessesFromACutHeader) {
  const std::string bytes = ReadCaseBytes(GetParam().Path);
  ASSERT_FALSE(bytes.empty());
  const PictureDimensions expected{GetParam().Width, GetParam().Height};
  EXPECT_EQ(ReadPictureDimensions(bytes), expected);
  // Every shorter start gives the right size or none at all.
  const size_t longest = std::min<size_t>(bytes.size(), 4096);
  for (size_t length = 0; length < longest; ++length) {
    const std::optional<PictureDimensions> read =
        ReadPictureDimensions(std::string_view(bytes).substr(0, length));
    if (read) {
      ASSERT_EQ(*read, expected) << "first " << length << " bytes";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RealPictureTest,
    testing::Values(FileCase{"libjpeg-turbo-testimages/testorig.jpg", 227, 149},
                    FileCase{"libjpeg-turbo-testimages/testimgint.jpg", 227, 149},  // progressive
                    FileCase{"libjpeg-turbo-testimages/testimgari.jpg", 227, 149},  // arithmetic
                    // 12-bit, its frame header behind a 3 KB colour profile
                    FileCase{"libjpeg-turbo-testimages/monkey12.jpg", 149, 227},
                    FileCase{"giflib-pic/pic/porsche.gif", 320, 200},
                    FileCase{"bmpsuite/g/pal8os2.bmp", 127, 64},      // OS/2 core header
                    FileCase{"bmpsuite/g/pal8topdown.bmp", 127, 64},  // negative height
                    FileCase{"bmpsuite/g/pal8v5.bmp", 127, 64},
                    FileCase{"own/size37x23.png", 37, 23}, FileCase{"own/lossy37x23.webp", 37, 23},
                    FileCase{"own/lossless37x23.webp", 37, 23},
                    FileCase{"own/alpha37x23.webp", 37, 23},
                    FileCase{"own/size37x23.avif", 37, 23}));

std::string Big32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}
std::string Box(const std::string& type, const std::string& content) {
  return Big32(static_cast<std::uint32_t>(8 + content.size())) + type + content;
}
const std::string kAvifType = Box("ftyp", "avif"s + Big32(0) + "mif1");
const std::string kNoFlags = Big32(0);
std::string Ispe(std::uint32_t width, std::uint32_t height) {
  return Box("ispe", kNoFlags + Big32(width) + Big32(height));
}
std::string Avif(const std::string& properties) {
  return kAvifType + Box("meta", kNoFlags + Box("iprp", Box("ipco", properties)));
}
std::string Jpeg(const std::string& segments) { return "\xFF\xD8"s + segments; }

TEST(SniffPictureFormat, TellsEachKindByItsFirstBytes) {
  const std::pair<std::string, PictureFormat> cases[] = {
      {"\xFF\xD8\xFF\xE0"s, PictureFormat::Jpeg},
      // Junk after the start-of-image marker, which JPEG decoders skip.
      {"\xFF\xD8\xFE\xFF"s, PictureFormat::Jpeg},
      {"\x89PNG\r\n\x1A\n"s, PictureFormat::Png},
      {"GIF89a"s, PictureFormat::Gif},
      {"BM"s, PictureFormat::Bmp},
      {"RIFF\0\0\0\0WEBP"s, PictureFormat::WebP},
      {"\xFF"s, PictureFormat::Unknown},
      {"<html>"s, PictureFormat::Unknown},
      {""s, PictureFormat::Unknown},
  };
  for (const auto& [bytes, format] : cases) {
    EXPECT_EQ(SniffPictureFormat(bytes), format) << testing::PrintToString(bytes);
  }
}

struct HostileCase {
  const char* Name;
  std::string Bytes;
  std::optional<PictureDimensions> Expected;
};
void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.Name; }

class HostileHeaderTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileHeaderTest, GivesOnlyWhatTheHeaderReallySays) {
  EXPECT_EQ(ReadPictureDimensions(GetParam().Bytes), GetParam().Expected);
}

const std::string kSof = "\xFF\xC0\x00\x11\x08\x00\x40\x00\x80"s;  // 128 x 64

INSTANTIATE_TEST_SUITE_P(
    Bytes, HostileHeaderTest,
    testing::Values(
        HostileCase{"jpeg frame after skipped segments, fill bytes and restarts",
                    Jpeg("\xFF\xE1\x00\x04xy\xFF\xFF\xD0"s + kSof), PictureDimensions{128, 64}},
        HostileCase{"jpeg segment length below two", Jpeg("\xFF\xE0\x00\x01"s + kSof),
                    std::nullopt},
        HostileCase{"jpeg scan before any frame", Jpeg("\xFF\xDA\x00\x02"s + kSof), std::nullopt},
        HostileCase{"jpeg huffman table is no frame", Jpeg("\xFF\xC4\x00\x07\x08\x00\x40\x00\x80"s),
                    std::nullopt},
        HostileCase{"bmp height that does not fit an int",
                    "BM"s + std::string(12, '\0') + "\x28\0\0\0"s + "\x05\0\0\0"s + "\0\0\0\x80"s,
                    std::nullopt},
        HostileCase{"avif largest extent wins", Avif(Ispe(8, 8) + Ispe(640, 480) + Ispe(16, 16)),
                    PictureDimensions{640, 480}},
        HostileCase{"avif box sizes past the bytes",
                    kAvifType + Big32(0xFFFFFFF0u) + "meta" + kNoFlags + Big32(1) + "iprp" +
                        Big32(0xFFFFFFFFu) + Big32(0xFFFFFFF0u) + Ispe(9, 9),
                    std::nullopt},
        HostileCase{"avif box too small to be one",
                    kAvifType + Big32(4) + "meta" + Big32(0) + Ispe(9, 9), std::nullopt}));

}  // namespace
}  // namespace vexilo
