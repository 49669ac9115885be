#include "pictures/PictureKind.h"

#include "core/TextRules.h"

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

bool IsListedPictureName(std::string_view name) {
  return IsJpegFile(name) || IsGifFile(name) || PictureExtension(name) == ".bmp";
}

}  // namespace vexilo
