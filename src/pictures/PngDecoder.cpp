#include "pictures/PngDecoder.h"

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pictures/OntoWhite.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFile.h"

namespace vexilo {

namespace {

// libpng's simplified reader: it converts every kind to 8-bit BGR(A) itself and reports
// errors in the image record rather than by a long jump.
struct ImageGuard {
  png_image& image;
  ~ImageGuard() { png_image_free(&image); }
};

[[noreturn]] void Fail(const std::string& name, const std::string& why) {
  throw PictureError("Cannot read the PNG file " + name + ": " + why);
}

}  // namespace

Bitmap24 DecodePng(const std::filesystem::path& path, DecodeLease* lease) {
  return DecodePngBytes(ReadPictureFile(path), path.string(), lease);
}

Bitmap24 DecodePngBytes(const std::string& bytes, const std::string& path, DecodeLease* lease) {
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
  // libpng would mix transparency in linear light; browsers, and the other kinds here, mix
  // in sRGB, so transparent pictures come as 8-bit BGRA and are drawn onto white after.
  const bool transparent = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = transparent ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
  // Without gAMA or sRGB, 16-bit samples are sRGB like 8-bit ones, not linear light.
  image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
  const std::int64_t pixels = width * height;
  if (lease) lease->Take(transparent ? pixels + (pixels * 4 + 2) / 3 : pixels);
  Bitmap24 bitmap(static_cast<int>(width), static_cast<int>(height));
  if (!transparent) {
    // Bitmap24 keeps its rows bottom-up, which libpng writes for a negative stride.
    if (!png_image_finish_read(&image, nullptr, bitmap.Bits(), -bitmap.Stride(), nullptr)) {
      Fail(path, image.message);
    }
    return bitmap;
  }
  std::vector<std::uint8_t> bgra(static_cast<size_t>(pixels) * 4);
  if (!png_image_finish_read(&image, nullptr, bgra.data(), 0, nullptr)) Fail(path, image.message);
  CopyOntoWhite(bgra.data(), static_cast<size_t>(width) * 4, bitmap);
  return bitmap;
}

}  // namespace vexilo
