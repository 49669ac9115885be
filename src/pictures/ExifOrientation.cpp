#include "pictures/ExifOrientation.h"

#include <cstdint>
#include <utility>

namespace vexilo {

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;

class TiffReader {
 public:
  explicit TiffReader(std::string_view tiff) : mTiff(tiff) {}

  // The IFD0 orientation, or 1.
  int Orientation() {
    if (mTiff.size() < 8) return 1;
    if (mTiff.substr(0, 2) == "II") {
      mBigEndian = false;
    } else if (mTiff.substr(0, 2) == "MM") {
      mBigEndian = true;
    } else {
      return 1;
    }
    if (U16(2) != 42) return 1;
    const std::uint64_t ifd = U32(4);
    if (ifd + 2 > mTiff.size()) return 1;
    const std::uint64_t entries = U16(ifd);
    for (std::uint64_t i = 0; i < entries; ++i) {
      const std::uint64_t entry = ifd + 2 + i * 12;
      if (entry + 12 > mTiff.size()) return 1;
      if (U16(entry) != kOrientationTag) continue;
      if (U16(entry + 2) != kShortType || U32(entry + 4) != 1) return 1;
      const int value = U16(entry + 8);
      return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
  }

 private:
  // Callers keep `at` + the width within the data.
  std::uint32_t Byte(std::uint64_t at) const {
    return static_cast<unsigned char>(mTiff[static_cast<size_t>(at)]);
  }
  std::uint32_t U16(std::uint64_t at) const {
    return mBigEndian ? Byte(at) << 8 | Byte(at + 1) : Byte(at + 1) << 8 | Byte(at);
  }
  std::uint32_t U32(std::uint64_t at) const {
    return mBigEndian ? U16(at) << 16 | U16(at + 2) : U16(at + 2) << 16 | U16(at);
  }

  std::string_view mTiff;
  bool mBigEndian = false;
};

}  // namespace

int ReadExifOrientation(std::string_view jpeg) {
  using namespace std::string_view_literals;
  if (jpeg.substr(0, 2) != "\xFF\xD8"sv) return 1;
  size_t at = 2;
  // The markers before the first scan; each step moves on by at least two bytes.
  while (at + 4 <= jpeg.size()) {
    if (static_cast<unsigned char>(jpeg[at]) != 0xFF) return 1;
    const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return 1;
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
      at += 2;
      continue;
    }
    const size_t length = static_cast<size_t>(static_cast<unsigned char>(jpeg[at + 2])) << 8 |
                          static_cast<unsigned char>(jpeg[at + 3]);
    if (length < 2 || at + 2 + length > jpeg.size()) return 1;
    std::string_view segment = jpeg.substr(at + 4, length - 2);
    if (marker == 0xE1 && segment.substr(0, 6) == "Exif\0\0"sv) {
      return TiffReader(segment.substr(6)).Orientation();
    }
    at += 2 + length;
  }
  return 1;
}

bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

void OrientPicture(Bitmap24& picture, int orientation) {
  if (orientation < 2 || orientation > 8 || picture.Empty()) return;
  const bool swap = OrientationSwapsSides(orientation);
  // Whether the source column (row) runs backwards as the target's column (row) grows,
  // after the swap for 5 to 8.
  const bool mirrorX = orientation == 2 || orientation == 3 || orientation == 7 || orientation == 8;
  const bool mirrorY = orientation == 3 || orientation == 4 || orientation == 6 || orientation == 7;
  const int width = picture.Width();
  const int height = picture.Height();
  Bitmap24 turned(swap ? height : width, swap ? width : height);
  for (int y = 0; y < turned.Height(); ++y) {
    std::uint8_t* target = turned.Row(y);
    for (int x = 0; x < turned.Width(); ++x, target += 3) {
      int sourceX = swap ? y : x;
      int sourceY = swap ? x : y;
      if (mirrorX) sourceX = width - 1 - sourceX;
      if (mirrorY) sourceY = height - 1 - sourceY;
      const std::uint8_t* source = picture.Row(sourceY) + std::ptrdiff_t{3} * sourceX;
      target[0] = source[0];
      target[1] = source[1];
      target[2] = source[2];
    }
  }
  picture = std::move(turned);
}

}  // namespace vexilo
