#pragma once
// The one pixel type the grid, preview, viewer, wallpaper and gallery share: 24 bits per pixel,
// rows stored bottom-up, each row blue, green, red and padded to a multiple of 4 bytes (the
// layout of an uncompressed Windows bitmap).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vexilo {

// Pictures larger than this are refused before anything is allocated for them.
inline constexpr int kMaxPictureSide = 65535;
inline constexpr std::int64_t kMaxPicturePixels = 100'000'000;

// 1 <= width, height <= kMaxPictureSide and the area at most kMaxPicturePixels.
bool PictureSizeAllowed(std::int64_t width, std::int64_t height);
// "unsupported picture size of W x H pixels", for the error texts.
std::string PictureSizeProblem(std::int64_t width, std::int64_t height);

// Past kBombFloorPixels a picture must come from at least one byte of file for every
// kMaxPixelsPerFileByte pixels. No format's own coding gets near that (GIF's LZW codes at
// most about 2700 pixels per byte, Huffman-coded JPEG 512, RLE bitmaps 127 in runs): only a
// header that claims a screen its data never fills does, and it would cost the full size in
// memory for an empty picture. Pictures up to the floor are never refused by this rule.
inline constexpr std::int64_t kBombFloorPixels = 16'000'000;
inline constexpr std::int64_t kMaxPixelsPerFileByte = 4096;
bool PictureSizeFitsFile(std::int64_t width, std::int64_t height, std::uintmax_t fileBytes);
// The error text for a size PictureSizeFitsFile refuses.
std::string PictureBombProblem(std::int64_t width, std::int64_t height, std::uintmax_t fileBytes);

class Bitmap24 {
 public:
  Bitmap24() = default;
  // All pixels black. A zero width or height gives an empty bitmap; other sizes that
  // PictureSizeAllowed refuses raise PictureError.
  Bitmap24(int width, int height);

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  // Bytes from one row to the next.
  int Stride() const { return mStride; }
  bool Empty() const { return mWidth == 0 || mHeight == 0; }

  // Row y counted from the top of the picture (stored bottom-up).
  std::uint8_t* Row(int y) { return mBits.data() + RowOffset(y); }
  const std::uint8_t* Row(int y) const { return mBits.data() + RowOffset(y); }

  // All rows as stored: the bottom row first.
  std::uint8_t* Bits() { return mBits.data(); }
  const std::uint8_t* Bits() const { return mBits.data(); }
  std::size_t SizeBytes() const { return mBits.size(); }

  // Colours as 0xRRGGBB.
  std::uint32_t Pixel(int x, int y) const;
  void SetPixel(int x, int y, std::uint32_t rgb);
  void Fill(std::uint32_t rgb);

  bool operator==(const Bitmap24&) const = default;

 private:
  std::size_t RowOffset(int y) const {
    return static_cast<std::size_t>(mHeight - 1 - y) * static_cast<std::size_t>(mStride);
  }

  int mWidth = 0;
  int mHeight = 0;
  int mStride = 0;
  std::vector<std::uint8_t> mBits;
};

// A picture decoded for a small view: Pixels may be a reduced copy of the picture, whose own
// size is FullWidth x FullHeight.
struct ReducedPicture {
  Bitmap24 Pixels;
  int FullWidth = 0;
  int FullHeight = 0;
  // The ICC profile a decoder found the pixels in; empty for sRGB, and once they are turned.
  std::string ColourProfile;
};

}  // namespace vexilo
