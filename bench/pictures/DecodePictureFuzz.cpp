// libFuzzer target for the picture decoders. The input becomes a file named by its contents'
// signature (.jpg, .gif, .png, .webp, .avif, else .bmp), because the decoders are chosen by
// name; JPEGs (with their EXIF orientation) and WebPs also go through the reduced decode the
// thumbnails use.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <string_view>

#include "core/PictureHeader.h"
#include "pictures/DecodePicture.h"
#include "pictures/PictureError.h"

namespace {

std::string InputFile(const char* extension) {
  return "/dev/shm/vexilo-fuzz-" + std::to_string(::getpid()) + extension;
}

const char* ExtensionFor(std::string_view bytes) {
  switch (vexilo::SniffPictureFormat(bytes.substr(0, vexilo::kSignatureBytes))) {
    case vexilo::PictureFormat::Jpeg:
      return ".jpg";
    case vexilo::PictureFormat::Gif:
      return ".gif";
    case vexilo::PictureFormat::Png:
      return ".png";
    case vexilo::PictureFormat::WebP:
      return ".webp";
    case vexilo::PictureFormat::Avif:
      return ".avif";
    case vexilo::PictureFormat::Bmp:
    case vexilo::PictureFormat::Unknown:
      break;
  }
  return ".bmp";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string extension = ExtensionFor(bytes);
  std::string file = InputFile(extension.c_str());
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(size));
  }
  try {
    vexilo::Bitmap24 bitmap = vexilo::DecodePicture(file);
    // Touch every row so a wrong size shows up as an out-of-bounds read.
    volatile std::uint8_t sink = 0;
    for (int y = 0; y < bitmap.Height(); ++y) sink = sink ^ bitmap.Row(y)[bitmap.Width() * 3 - 1];
  } catch (const vexilo::PictureError&) {
  }
  if (extension == ".jpg" || extension == ".webp") {
    try {
      vexilo::DecodeReducedPicture(file, 64);
    } catch (const vexilo::PictureError&) {
    }
  }
  std::remove(file.c_str());
  return 0;
}
