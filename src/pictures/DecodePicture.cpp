#include "pictures/DecodePicture.h"

#include <system_error>

#include "pictures/BmpReader.h"
#include "pictures/GifDecoder.h"
#include "pictures/JpegDecoder.h"
#include "pictures/PictureError.h"

namespace vexilo {

namespace {

// A folder scan lists anything by name: say so for a folder instead of a decoder's puzzled
// message, and never open a pipe or a device, whose reads could block for ever.
void RefuseNonFiles(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::file_status status = std::filesystem::status(path, error);
  if (std::filesystem::is_directory(status)) {
    throw PictureError(path.string() + " is a folder, not a picture");
  }
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    throw PictureError(path.string() + " is not a picture file");
  }
}

}  // namespace

Bitmap24 DecodePicture(const std::filesystem::path& path) {
  RefuseNonFiles(path);
  const std::string name = path.string();
  if (IsJpegFile(name)) return DecodeJpeg(path, 0).Pixels;
  if (IsGifFile(name)) return DecodeGif(path);
  return DecodeBmp(path);
}

ReducedPicture DecodeReducedPicture(const std::filesystem::path& path, int minLongSide,
                                    DecodeLease* lease) {
  RefuseNonFiles(path);
  const std::string name = path.string();
  if (IsJpegFile(name)) return DecodeJpeg(path, minLongSide, lease);
  ReducedPicture picture;
  picture.Pixels = IsGifFile(name) ? DecodeGif(path, lease) : DecodeBmp(path, lease);
  picture.FullWidth = picture.Pixels.Width();
  picture.FullHeight = picture.Pixels.Height();
  return picture;
}

}  // namespace vexilo
