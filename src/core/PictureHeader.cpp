#include "core/PictureHeader.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace vexilo {
namespace {

std::uint32_t Byte(std::string_view bytes, size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}
std::uint32_t BigEndian16(std::string_view bytes, size_t at) {
  return Byte(bytes, at) << 8 | Byte(bytes, at + 1);
}
std::uint32_t BigEndian32(std::string_view bytes, size_t at) {
  return BigEndian16(bytes, at) << 16 | BigEndian16(bytes, at + 2);
}
std::uint32_t LittleEndian16(std::string_view bytes, size_t at) {
  return Byte(bytes, at) | Byte(bytes, at + 1) << 8;
}
std::uint32_t LittleEndian24(std::string_view bytes, size_t at) {
  return LittleEndian16(bytes, at) | Byte(bytes, at + 2) << 16;
}
std::uint32_t LittleEndian32(std::string_view bytes, size_t at) {
  return LittleEndian16(bytes, at) | LittleEndian16(bytes, at + 2) << 16;
}

// Only sizes a picture can have: a zero or one past int says the header is not what it seems.
std::optional<PictureDimensions> Dimensions(std::uint64_t width, std::uint64_t height) {
  if (width == 0 || height == 0 || width > INT_MAX || height > INT_MAX) return std::nullopt;
  return PictureDimensions{static_cast<int>(width), static_cast<int>(height)};
}

bool IsStartOfFrame(std::uint32_t marker) {
  // C4 (Huffman tables), C8 (reserved) and CC (arithmetic conditioning) share the range.
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<PictureDimensions> JpegDimensions(std::string_view bytes) {
  size_t at = 2;  // past the start of image
  // Every step moves on, so the walk ends with the bytes.
  while (at + 1 < bytes.size()) {
    if (Byte(bytes, at) != 0xFF) return std::nullopt;
    const std::uint32_t marker = Byte(bytes, at + 1);
    if (marker == 0xFF) {  // fill byte before a marker
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // no length follows
      at += 2;
      continue;
    }
    // The image data or its end before any frame header: there is no size to read.
    if (marker == 0xDA || marker == 0xD9) return std::nullopt;
    if (at + 4 > bytes.size()) return std::nullopt;
    const std::uint32_t length = BigEndian16(bytes, at + 2);
    if (length < 2) return std::nullopt;
    if (IsStartOfFrame(marker)) {
      // Length, precision, height, width.
      if (length < 7 || at + 9 > bytes.size()) return std::nullopt;
      return Dimensions(BigEndian16(bytes, at + 7), BigEndian16(bytes, at + 5));
    }
    at += 2 + length;
  }
  return std::nullopt;
}

std::optional<PictureDimensions> PngDimensions(std::string_view bytes) {
  if (bytes.size() < 24 || bytes.substr(12, 4) != "IHDR") return std::nullopt;
  return Dimensions(BigEndian32(bytes, 16), BigEndian32(bytes, 20));
}

std::optional<PictureDimensions> GifDimensions(std::string_view bytes) {
  if (bytes.size() < 10) return std::nullopt;
  return Dimensions(LittleEndian16(bytes, 6), LittleEndian16(bytes, 8));
}

std::optional<PictureDimensions> BmpDimensions(std::string_view bytes) {
  if (bytes.size() < 18) return std::nullopt;
  const std::uint32_t headerSize = LittleEndian32(bytes, 14);
  if (headerSize == 12) {  // OS/2 core header: unsigned 16-bit sizes
    if (bytes.size() < 22) return std::nullopt;
    return Dimensions(LittleEndian16(bytes, 18), LittleEndian16(bytes, 20));
  }
  if (headerSize < 16 || bytes.size() < 26) return std::nullopt;
  const auto width = static_cast<std::int32_t>(LittleEndian32(bytes, 18));
  const auto height = static_cast<std::int32_t>(LittleEndian32(bytes, 22));
  if (width <= 0) return std::nullopt;
  // A negative height is a picture stored top row first.
  return Dimensions(static_cast<std::uint64_t>(width),
                    static_cast<std::uint64_t>(std::llabs(std::int64_t{height})));
}

std::optional<PictureDimensions> WebPDimensions(std::string_view bytes) {
  if (bytes.size() < 30) return std::nullopt;
  const std::string_view chunk = bytes.substr(12, 4);
  constexpr size_t kData = 20;
  if (chunk == "VP8 ") {
    // Frame tag, then the key frame's start code and the 14-bit sizes.
    if (bytes.substr(kData + 3, 3) != "\x9D\x01\x2A") return std::nullopt;
    return Dimensions(LittleEndian16(bytes, kData + 6) & 0x3FFF,
                      LittleEndian16(bytes, kData + 8) & 0x3FFF);
  }
  if (chunk == "VP8L") {
    if (Byte(bytes, kData) != 0x2F) return std::nullopt;
    const std::uint32_t bits = LittleEndian32(bytes, kData + 1);
    return Dimensions((bits & 0x3FFF) + 1, (bits >> 14 & 0x3FFF) + 1);
  }
  if (chunk == "VP8X") {
    return Dimensions(LittleEndian24(bytes, kData + 4) + 1, LittleEndian24(bytes, kData + 7) + 1);
  }
  return std::nullopt;
}

// A box of an ISO base media file: where its content starts and ends within the bytes read.
struct Box {
  std::string_view Type;
  size_t ContentStart = 0;
  size_t ContentEnd = 0;
};

// Calls found(box) for each box that starts within [start, end) until found returns true.
// A box running past the bytes read is cut to them; a size too small to be a box ends the walk.
template <typename Found>
bool WalkBoxes(std::string_view bytes, size_t start, size_t end, Found found) {
  constexpr int kMostBoxes = 256;  // a real level holds a handful
  size_t at = start;
  for (int count = 0; count < kMostBoxes && at + 8 <= end; ++count) {
    std::uint64_t size = BigEndian32(bytes, at);
    size_t header = 8;
    if (size == 1) {  // a 64-bit size follows the type
      if (at + 16 > end) return false;
      size = std::uint64_t{BigEndian32(bytes, at + 8)} << 32 | BigEndian32(bytes, at + 12);
      header = 16;
    } else if (size == 0) {  // to the end of the file
      size = end - at;
    }
    if (size < header) return false;
    const size_t boxEnd = size > end - at ? end : at + static_cast<size_t>(size);
    if (found(Box{bytes.substr(at + 4, 4), at + header, boxEnd})) return true;
    if (boxEnd >= end) return false;
    at = boxEnd;
  }
  return false;
}

// The content of the first box of type in [start, end); a "full box" skips its version and flags.
std::optional<Box> FindBox(std::string_view bytes, size_t start, size_t end, std::string_view type,
                           bool fullBox) {
  std::optional<Box> result;
  WalkBoxes(bytes, start, end, [&](const Box& box) {
    if (box.Type != type) return false;
    result = box;
    return true;
  });
  if (result && fullBox) {
    if (result->ContentEnd - result->ContentStart < 4) return std::nullopt;
    result->ContentStart += 4;
  }
  return result;
}

// The largest image spatial extent among the item properties: the primary picture's, since a
// grid's tiles, a thumbnail or an alpha plane are never larger than it.
std::optional<PictureDimensions> AvifDimensions(std::string_view bytes) {
  std::optional<Box> box = FindBox(bytes, 0, bytes.size(), "meta", true);
  if (box) box = FindBox(bytes, box->ContentStart, box->ContentEnd, "iprp", false);
  if (box) box = FindBox(bytes, box->ContentStart, box->ContentEnd, "ipco", false);
  if (!box) return std::nullopt;
  std::optional<PictureDimensions> largest;
  WalkBoxes(bytes, box->ContentStart, box->ContentEnd, [&](const Box& property) {
    // Version and flags, width, height.
    if (property.Type != "ispe" || property.ContentEnd - property.ContentStart < 12) return false;
    const std::optional<PictureDimensions> extent =
        Dimensions(BigEndian32(bytes, property.ContentStart + 4),
                   BigEndian32(bytes, property.ContentStart + 8));
    if (extent && (!largest || std::int64_t{extent->Width} * extent->Height >
                                   std::int64_t{largest->Width} * largest->Height)) {
      largest = extent;
    }
    return false;
  });
  return largest;
}

bool StartsWith(std::string_view bytes, std::string_view prefix, size_t at = 0) {
  return bytes.size() >= at + prefix.size() && bytes.substr(at, prefix.size()) == prefix;
}

// An ISO base media file whose "ftyp" box names an AVIF brand, as its major brand or among
// the compatible ones within the first bytes.
bool IsAvif(std::string_view bytes) {
  if (!StartsWith(bytes, "ftyp", 4)) return false;
  const size_t boxSize = (static_cast<size_t>(static_cast<unsigned char>(bytes[0])) << 24) |
                         (static_cast<size_t>(static_cast<unsigned char>(bytes[1])) << 16) |
                         (static_cast<size_t>(static_cast<unsigned char>(bytes[2])) << 8) |
                         static_cast<size_t>(static_cast<unsigned char>(bytes[3]));
  const size_t end = boxSize < bytes.size() ? boxSize : bytes.size();
  for (size_t at = 8; at + 4 <= end; at += 4) {
    if (at == 12) continue;  // the minor version, not a brand
    std::string_view brand = bytes.substr(at, 4);
    if (brand == "avif" || brand == "avis") return true;
  }
  return false;
}

}  // namespace

PictureFormat SniffPictureFormat(std::string_view bytes) {
  using namespace std::string_view_literals;
  // The start-of-image marker alone: JPEG decoders skip junk before the next marker, so a
  // file with it is a picture they can read, even when a third FF does not follow.
  if (StartsWith(bytes, "\xFF\xD8"sv)) return PictureFormat::Jpeg;
  if (StartsWith(bytes, "\x89PNG\r\n\x1A\n"sv)) return PictureFormat::Png;
  if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a")) return PictureFormat::Gif;
  if (StartsWith(bytes, "BM")) return PictureFormat::Bmp;
  if (StartsWith(bytes, "RIFF") && StartsWith(bytes, "WEBP", 8)) return PictureFormat::WebP;
  if (IsAvif(bytes)) return PictureFormat::Avif;
  return PictureFormat::Unknown;
}

std::optional<PictureDimensions> ReadPictureDimensions(std::string_view bytes) {
  switch (SniffPictureFormat(bytes)) {
    case PictureFormat::Jpeg:
      return JpegDimensions(bytes);
    case PictureFormat::Png:
      return PngDimensions(bytes);
    case PictureFormat::Gif:
      return GifDimensions(bytes);
    case PictureFormat::Bmp:
      return BmpDimensions(bytes);
    case PictureFormat::WebP:
      return WebPDimensions(bytes);
    case PictureFormat::Avif:
      return AvifDimensions(bytes);
    case PictureFormat::Unknown:
      break;
  }
  return std::nullopt;
}

}  // namespace vexilo
