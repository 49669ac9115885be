#include "core/PictureHeader.h"

namespace vexilo {
namespace {

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
  if (StartsWith(bytes, "\xFF\xD8\xFF"sv)) return PictureFormat::Jpeg;
  if (StartsWith(bytes, "\x89PNG\r\n\x1A\n"sv)) return PictureFormat::Png;
  if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a")) return PictureFormat::Gif;
  if (StartsWith(bytes, "BM")) return PictureFormat::Bmp;
  if (StartsWith(bytes, "RIFF") && StartsWith(bytes, "WEBP", 8)) return PictureFormat::WebP;
  if (IsAvif(bytes)) return PictureFormat::Avif;
  return PictureFormat::Unknown;
}

}  // namespace vexilo
