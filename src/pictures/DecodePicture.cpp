#include "pictures/DecodePicture.h"

#include <system_error>

#include "pictures/BmpReader.h"
#include "pictures/GifDecoder.h"
#include "pictures/JpegDecoder.h"
#include "pictures/PictureError.h"

namespace vexilo {

namespace {

// A folder scan lists folders by name too; say so instead of a decoder's puzzled message.
void RefuseFolder(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw PictureError(path.string() + " is a folder, not a picture");
  }
}

}  // namespace

Bitmap24 DecodePicture(const std::filesystem::path& path) {
  RefuseFolder(path);
  const std::string name = path.string();
  if (IsJpegFile(name)) return DecodeJpeg(path, 0).Pixels;
  if (IsGifFile(name)) return DecodeGif(path);
  return DecodeBmp(path);
}

ReducedPicture DecodeReducedPicture(const std::filesystem::path& path, int minLongSide) {
  RefuseFolder(path);
  if (IsJpegFile(path.string())) return DecodeJpeg(path, minLongSide);
  ReducedPicture picture;
  picture.Pixels = DecodePicture(path);
  picture.FullWidth = picture.Pixels.Width();
  picture.FullHeight = picture.Pixels.Height();
  return picture;
}

}  // namespace vexilo
