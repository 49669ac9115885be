#include "pictures/PictureKind.h"

#include "core/TextRules.h"
#include "pictures/PictureReading.h"

namespace vexilo {

std::string PictureExtension(std::string_view path) {
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return "";
  size_t slash = path.rfind('/');
  if (slash != std::string_view::npos && slash > dot) return "";
  return LowerAscii(path.substr(dot));
}

bool IsJpegFile(std::string_view path) {
  std::string extension = PictureExtension(path);
  return extension == ".jpg" || extension == ".jpeg";
}

bool IsGifFile(std::string_view path) { return PictureExtension(path) == ".gif"; }

bool IsModernPictureName(std::string_view path) {
  std::string extension = PictureExtension(path);
  return extension == ".png" || extension == ".webp" || extension == ".avif";
}

bool IsListedPictureName(std::string_view name) {
  if (IsJpegFile(name) || IsGifFile(name) || PictureExtension(name) == ".bmp") return true;
  return CurrentPictureReading().ModernKinds && IsModernPictureName(name);
}

PictureFormat NamedPictureFormat(std::string_view path) {
  std::string extension = PictureExtension(path);
  if (extension == ".jpg" || extension == ".jpeg") return PictureFormat::Jpeg;
  if (extension == ".gif") return PictureFormat::Gif;
  if (extension == ".png") return PictureFormat::Png;
  if (extension == ".webp") return PictureFormat::WebP;
  if (extension == ".avif") return PictureFormat::Avif;
  return PictureFormat::Bmp;
}

}  // namespace vexilo
