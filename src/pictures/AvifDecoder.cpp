#include "pictures/AvifDecoder.h"

#include <avif/avif.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "pictures/OntoWhite.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFile.h"

namespace vexilo {

namespace {

struct DecoderDeleter {
  void operator()(avifDecoder* decoder) const { avifDecoderDestroy(decoder); }
};

[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& why) {
  throw PictureError("Cannot read the AVIF file " + path.string() + ": " + why);
}

[[noreturn]] void Fail(const std::filesystem::path& path, const avifDecoder& decoder,
                       avifResult result) {
  std::string why = avifResultToString(result);
  if (decoder.diag.error[0] != '\0') why += std::string(" (") + decoder.diag.error + ")";
  Fail(path, why);
}

}  // namespace

Bitmap24 DecodeAvif(const std::filesystem::path& path, DecodeLease* lease) {
  const std::string bytes = ReadPictureFile(path);
  std::unique_ptr<avifDecoder, DecoderDeleter> decoder(avifDecoderCreate());
  if (!decoder) throw std::bad_alloc();
  // The same bounds as every other kind, checked by libavif before it decodes a tile.
  decoder->imageSizeLimit = static_cast<std::uint32_t>(kMaxPicturePixels);
  decoder->imageDimensionLimit = kMaxPictureSide;
  decoder->maxThreads = 1;
  avifResult result = avifDecoderSetIOMemory(
      decoder.get(), reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  if (result == AVIF_RESULT_OK) result = avifDecoderParse(decoder.get());
  if (result != AVIF_RESULT_OK) Fail(path, *decoder, result);
  const std::int64_t width = decoder->image->width;
  const std::int64_t height = decoder->image->height;
  if (!PictureSizeAllowed(width, height)) Fail(path, PictureSizeProblem(width, height));
  if (!PictureSizeFitsFile(width, height, bytes.size())) {
    Fail(path, PictureBombProblem(width, height, bytes.size()));
  }
  // The decoded planes (up to 16 bits a sample, with alpha), four bytes a pixel of BGRA, and
  // the bitmap: about five 3-byte pixels a pixel.
  if (lease) lease->Take(width * height * 5);
  // The coded frame may claim more than the header: the codec, made on the first frame, is
  // held to the size checked and paid for.
  decoder->imageSizeLimit = static_cast<std::uint32_t>(width * height);
  result = avifDecoderNextImage(decoder.get());
  if (result != AVIF_RESULT_OK) Fail(path, *decoder, result);
  const avifImage& image = *decoder->image;
  if (image.width != width || image.height != height) Fail(path, "the image changed its size");
  avifRGBImage rgb;
  avifRGBImageSetDefaults(&rgb, &image);
  rgb.format = AVIF_RGB_FORMAT_BGRA;
  rgb.depth = 8;
  rgb.rowBytes = static_cast<std::uint32_t>(width * 4);
  std::vector<std::uint8_t> bgra(static_cast<size_t>(width * height * 4));
  rgb.pixels = bgra.data();
  result = avifImageYUVToRGB(&image, &rgb);
  if (result != AVIF_RESULT_OK) Fail(path, *decoder, result);
  Bitmap24 bitmap(static_cast<int>(width), static_cast<int>(height));
  CopyOntoWhite(bgra.data(), rgb.rowBytes, bitmap);
  return bitmap;
}

}  // namespace vexilo
