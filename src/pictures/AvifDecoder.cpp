#include "pictures/AvifDecoder.h"

#include <avif/avif.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
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

// The decoder's current image drawn onto white into bitmap, which has its size.
void DrawImage(const std::filesystem::path& path, avifDecoder& decoder, Bitmap24& bitmap) {
  const avifImage& image = *decoder.image;
  if (image.width != static_cast<std::uint32_t>(bitmap.Width()) ||
      image.height != static_cast<std::uint32_t>(bitmap.Height())) {
    Fail(path, "the image changed its size");
  }
  avifRGBImage rgb;
  avifRGBImageSetDefaults(&rgb, &image);
  rgb.format = AVIF_RGB_FORMAT_BGRA;
  rgb.depth = 8;
  rgb.rowBytes = image.width * 4;
  std::vector<std::uint8_t> bgra(static_cast<size_t>(rgb.rowBytes) * image.height);
  rgb.pixels = bgra.data();
  const avifResult result = avifImageYUVToRGB(&image, &rgb);
  if (result != AVIF_RESULT_OK) Fail(path, decoder, result);
  CopyOntoWhite(bgra.data(), rgb.rowBytes, bitmap);
}

// An image sequence, one image decoded at a time. The format has no loop count in this
// libavif: a sequence plays for ever, as browsers play one without an edit list.
class AvifAnimation final : public PictureAnimation {
 public:
  AvifAnimation(std::filesystem::path path, std::string bytes,
                std::unique_ptr<avifDecoder, DecoderDeleter> decoder)
      : mPath(std::move(path)),
        mBytes(std::move(bytes)),
        mDecoder(std::move(decoder)),
        mCanvas(static_cast<int>(mDecoder->image->width),
                static_cast<int>(mDecoder->image->height)) {}

  std::optional<AnimationFrame> Next() override {
    avifResult result = avifDecoderNextImage(mDecoder.get());
    if (result == AVIF_RESULT_NO_IMAGES_REMAINING) {
      result = avifDecoderReset(mDecoder.get());
      if (result == AVIF_RESULT_OK) result = avifDecoderNextImage(mDecoder.get());
    }
    if (result != AVIF_RESULT_OK) Fail(mPath, *mDecoder, result);
    DrawImage(mPath, *mDecoder, mCanvas);
    const auto time = std::chrono::milliseconds(
        static_cast<std::int64_t>(std::max(0.0, mDecoder->imageTiming.duration) * 1000 + 0.5));
    const avifRWData& icc = mDecoder->image->icc;
    return AnimationFrame{
        &mCanvas, ShownFrameTime(time), {reinterpret_cast<const char*>(icc.data), icc.size}};
  }

 private:
  std::filesystem::path mPath;
  std::string mBytes;  // the decoder reads them
  std::unique_ptr<avifDecoder, DecoderDeleter> mDecoder;
  Bitmap24 mCanvas;
};

}  // namespace

namespace {

// A decoder over bytes (which it reads until it goes) that has parsed the file and checked its
// size. Raises PictureError.
std::unique_ptr<avifDecoder, DecoderDeleter> ParsedDecoder(const std::filesystem::path& path,
                                                           const std::string& bytes) {
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
  // The coded frame may claim more than the header: the codec, made on the first frame, is
  // held to the size checked.
  decoder->imageSizeLimit = static_cast<std::uint32_t>(width * height);
  return decoder;
}

}  // namespace

std::unique_ptr<PictureAnimation> OpenAvifAnimation(const std::filesystem::path& path) {
  std::string bytes = ReadPictureFile(path);
  std::unique_ptr<avifDecoder, DecoderDeleter> decoder = ParsedDecoder(path, bytes);
  if (decoder->imageCount < 2) return nullptr;
  // The string's bytes stay where they are when it is moved: the decoder keeps reading them.
  return std::make_unique<AvifAnimation>(path, std::move(bytes), std::move(decoder));
}

Bitmap24 DecodeAvif(const std::filesystem::path& path, DecodeLease* lease,
                    std::string* colourProfile) {
  const std::string bytes = ReadPictureFile(path);
  std::unique_ptr<avifDecoder, DecoderDeleter> decoder = ParsedDecoder(path, bytes);
  const std::int64_t width = decoder->image->width;
  const std::int64_t height = decoder->image->height;
  // The decoded planes (up to 16 bits a sample, with alpha), four bytes a pixel of BGRA, and
  // the bitmap: about five 3-byte pixels a pixel.
  if (lease) lease->Take(width * height * 5);
  const avifResult result = avifDecoderNextImage(decoder.get());
  if (result != AVIF_RESULT_OK) Fail(path, *decoder, result);
  Bitmap24 bitmap(static_cast<int>(width), static_cast<int>(height));
  DrawImage(path, *decoder, bitmap);
  if (colourProfile && decoder->image->icc.size > 0) {
    colourProfile->assign(reinterpret_cast<const char*>(decoder->image->icc.data),
                          decoder->image->icc.size);
  }
  return bitmap;
}

}  // namespace vexilo
