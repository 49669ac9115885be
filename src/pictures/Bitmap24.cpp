#include "pictures/Bitmap24.h"

#include <string>

#include "pictures/PictureError.h"

namespace vexilo {

bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

std::string PictureSizeProblem(std::int64_t width, std::int64_t height) {
  return "unsupported picture size of " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels";
}

Bitmap24::Bitmap24(int width, int height) {
  if (width == 0 || height == 0) return;
  if (!PictureSizeAllowed(width, height)) throw PictureError(PictureSizeProblem(width, height));
  mWidth = width;
  mHeight = height;
  mStride = (width * 3 + 3) / 4 * 4;
  mBits.assign(static_cast<std::size_t>(mStride) * static_cast<std::size_t>(height), 0);
}

std::uint32_t Bitmap24::Pixel(int x, int y) const {
  const std::uint8_t* p = Row(y) + x * 3;
  return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

void Bitmap24::SetPixel(int x, int y, std::uint32_t rgb) {
  std::uint8_t* p = Row(y) + x * 3;
  p[0] = static_cast<std::uint8_t>(rgb);
  p[1] = static_cast<std::uint8_t>(rgb >> 8);
  p[2] = static_cast<std::uint8_t>(rgb >> 16);
}

void Bitmap24::Fill(std::uint32_t rgb) {
  for (int y = 0; y < mHeight; ++y) {
    for (int x = 0; x < mWidth; ++x) SetPixel(x, y, rgb);
  }
}

}  // namespace vexilo
