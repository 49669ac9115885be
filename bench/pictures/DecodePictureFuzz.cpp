// libFuzzer target for the picture decoders. The input becomes a file named by its contents'
// signature (.jpg for FF D8, .gif for "GIF", else .bmp), because the decoders are chosen by
// name; JPEGs also go through the reduced decode the thumbnails use.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <fstream>
#include <string>

#include "pictures/DecodePicture.h"
#include "pictures/PictureError.h"

namespace {

std::string InputFile(const char* extension) {
  return "/dev/shm/vexilo-fuzz-" + std::to_string(::getpid()) + extension;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* extension = ".bmp";
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) extension = ".jpg";
  if (size >= 3 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F') extension = ".gif";
  std::string file = InputFile(extension);
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    vexilo::Bitmap24 bitmap = vexilo::DecodePicture(file);
    // Touch every row so a wrong size shows up as an out-of-bounds read.
    volatile std::uint8_t sink = 0;
    for (int y = 0; y < bitmap.Height(); ++y) sink = sink ^ bitmap.Row(y)[bitmap.Width() * 3 - 1];
  } catch (const vexilo::PictureError&) {
  }
  if (extension[1] == 'j') {
    try {
      vexilo::DecodeReducedPicture(file, 64);
    } catch (const vexilo::PictureError&) {
    }
  }
  return 0;
}
