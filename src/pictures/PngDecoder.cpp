#include "pictures/PngDecoder.h"

#include <png.h>

#include <cstdint>
#include <string>

#include "pictures/PictureError.h"
#include "pictures/PictureFile.h"

namespace vexilo {

namespace {

// libpng's simplified reader: it converts every kind to 8-bit BGR itself and reports errors
// in the image record rather than by a long jump.
struct ImageGuard {
  png_image& image;
  ~ImageGuard() { png_image_free(&image); }
};

[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& why) {
  throw PictureError("Cannot read the PNG file " + path.string() + ": " + why);
}

}  // namespace

Bitmap24 DecodePng(const std::filesystem::path& path, DecodeLease* lease) {
  const std::string bytes = ReadPictureFile(path);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ImageGuard guard{image};
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    Fail(path, image.message);
  }
  const std::int64_t width = image.width;
  const std::int64_t height = image.height;
  if (!PictureSizeAllowed(width, height)) Fail(path, PictureSizeProblem(width, height));
  if (!PictureSizeFitsFile(width, height, bytes.size())) {
    Fail(path, PictureBombProblem(width, height, bytes.size()));
  }
  image.format = PNG_FORMAT_BGR;
  // Without gAMA or sRGB, 16-bit samples are sRGB like 8-bit ones, not linear light.
  image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
  if (lease) lease->Take(width * height);
  Bitmap24 bitmap(static_cast<int>(width), static_cast<int>(height));
  const png_color white{255, 255, 255};
  // Bitmap24 keeps its rows bottom-up, which libpng writes for a negative stride.
  if (!png_image_finish_read(&image, &white, bitmap.Bits(), -bitmap.Stride(), nullptr)) {
    Fail(path, image.message);
  }
  return bitmap;
}

}  // namespace vexilo
