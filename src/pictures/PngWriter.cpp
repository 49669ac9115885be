#include "pictures/PngWriter.h"

#include <png.h>

#include "pictures/PictureError.h"

namespace vexilo {

std::string EncodePng(const Bitmap24& bitmap) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(bitmap.Width());
  image.height = static_cast<png_uint_32>(bitmap.Height());
  image.format = PNG_FORMAT_BGR;
  image.flags = PNG_IMAGE_FLAG_FAST;  // thumbnails are written during listings
  // Bitmap24 keeps its rows bottom-up: a negative stride.
  const png_int_32 stride = -bitmap.Stride();
  png_alloc_size_t size = 0;
  if (bitmap.Empty() ||
      !png_image_write_to_memory(&image, nullptr, &size, 0, bitmap.Bits(), stride, nullptr)) {
    png_image_free(&image);
    throw PictureError("Cannot write a PNG of the picture");
  }
  std::string png(size, '\0');
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, bitmap.Bits(), stride, nullptr)) {
    png_image_free(&image);
    throw PictureError("Cannot write a PNG of the picture");
  }
  png.resize(size);
  return png;
}

}  // namespace vexilo
