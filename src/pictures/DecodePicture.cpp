#include "pictures/DecodePicture.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <system_error>
#include <utility>

#include "core/PictureHeader.h"
#include "pictures/AvifDecoder.h"
#include "pictures/BmpReader.h"
#include "pictures/ColourProfile.h"
#include "pictures/GifDecoder.h"
#include "pictures/JpegDecoder.h"
#include "pictures/PictureAnimation.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFile.h"
#include "pictures/PictureReading.h"
#include "pictures/PngDecoder.h"
#include "pictures/WebpDecoder.h"

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

// The kind the name says; with the modern kinds on, the kind the bytes say when they name one.
PictureFormat FormatToDecode(const std::filesystem::path& path) {
  const PictureFormat named = NamedPictureFormat(path.string());
  if (!CurrentPictureReading().ModernKinds) return named;
  const PictureFormat sniffed = SniffPictureFormat(ReadPictureStart(path, kSignatureBytes));
  return sniffed == PictureFormat::Unknown ? named : sniffed;
}

ReducedPicture AtFullSize(Bitmap24 pixels) {
  ReducedPicture picture;
  picture.FullWidth = pixels.Width();
  picture.FullHeight = pixels.Height();
  picture.Pixels = std::move(pixels);
  return picture;
}

ReducedPicture DecodeInFileColours(const std::filesystem::path& path, int minLongSide,
                                   DecodeLease* lease) {
  switch (FormatToDecode(path)) {
    case PictureFormat::Jpeg:
      return DecodeJpeg(path, minLongSide, lease);
    case PictureFormat::Gif:
      return DecodeGif(path, minLongSide, lease);
    case PictureFormat::Png: {
      const std::string bytes = ReadPictureFile(path);
      ReducedPicture picture = AtFullSize(DecodePngBytes(bytes, path.string(), lease));
      picture.ColourProfile = PngColourProfile(bytes);
      return picture;
    }
    case PictureFormat::WebP:
      return DecodeWebp(path, minLongSide, lease);
    case PictureFormat::Avif: {
      std::string profile;
      ReducedPicture picture = AtFullSize(DecodeAvif(path, lease, &profile));
      picture.ColourProfile = std::move(profile);
      return picture;
    }
    case PictureFormat::Bmp:
    case PictureFormat::Unknown:
      break;
  }
  return AtFullSize(DecodeBmp(path, lease));
}

ReducedPicture Decode(const std::filesystem::path& path, int minLongSide, DecodeLease* lease,
                      ColourTarget colours) {
  RefuseNonFiles(path);
  ReducedPicture picture = DecodeInFileColours(path, minLongSide, lease);
  // One step to the screen's colours, so a wide-gamut picture is not first cut down to sRGB.
  if (colours == ColourTarget::Screen) {
    ConvertForScreen(picture.ColourProfile, picture.Pixels);
  } else {
    ConvertToSrgb(picture.ColourProfile, picture.Pixels);
  }
  picture.ColourProfile.clear();  // the pixels are in the target's colours now
  return picture;
}

}  // namespace

std::chrono::milliseconds ShownFrameTime(std::chrono::milliseconds fileTime) {
  return std::max(fileTime, kShortestFrame);
}

std::unique_ptr<PictureAnimation> OpenAnimation(const std::filesystem::path& path) {
  try {
    RefuseNonFiles(path);
    switch (FormatToDecode(path)) {
      case PictureFormat::Gif:
        return OpenGifAnimation(path);
      case PictureFormat::WebP:
        return OpenWebpAnimation(path);
      case PictureFormat::Avif:
        return OpenAvifAnimation(path);
      default:
        return nullptr;
    }
  } catch (const std::exception&) {
    // Shown still, or not at all, as the decode decides.
    return nullptr;
  }
}

Bitmap24 DecodePicture(const std::filesystem::path& path) {
  return Decode(path, 0, nullptr, ColourTarget::Srgb).Pixels;
}

ReducedPicture DecodeReducedPicture(const std::filesystem::path& path, int minLongSide,
                                    DecodeLease* lease, ColourTarget colours) {
  return Decode(path, minLongSide, lease, colours);
}

}  // namespace vexilo
