#include "pictures/Bitmap24.h"

#include <cstring>
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

bool PictureSizeFitsFile(std::int64_t width, std::int64_t height, std::uintmax_t fileBytes) {
  const std::int64_t pixels = width * height;
  if (pixels <= kBombFloorPixels) return true;
  const auto needed = static_cast<std::uintmax_t>((pixels - 1) / kMaxPixelsPerFileByte + 1);
  return fileBytes >= needed;
}

std::string PictureBombProblem(std::int64_t width, std::int64_t height, std::uintmax_t fileBytes) {
  return "a picture of " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels cannot come from a file of " + std::to_string(fileBytes) + " bytes";
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
  const std::uint8_t* p = Row(y) + std::ptrdiff_t{3} * x;
  return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

void Bitmap24::SetPixel(int x, int y, std::uint32_t rgb) {
  std::uint8_t* p = Row(y) + std::ptrdiff_t{3} * x;
  p[0] = static_cast<std::uint8_t>(rgb);
  p[1] = static_cast<std::uint8_t>(rgb >> 8);
  p[2] = static_cast<std::uint8_t>(rgb >> 16);
}

void Bitmap24::Fill(std::uint32_t rgb) {
  if (Empty()) return;
  for (int x = 0; x < mWidth; ++x) SetPixel(x, 0, rgb);
  for (int y = 1; y < mHeight; ++y) std::memcpy(Row(y), Row(0), static_cast<size_t>(mWidth) * 3);
}

}  // namespace vexilo
