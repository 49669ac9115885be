#include "PictureCompare.h"

#include <QString>
#include <cstdlib>

namespace vexilo::test {

std::string DifferenceFrom(const Bitmap24& bitmap, const QImage& reference, int tolerance,
                           long transparentAs) {
  if (reference.isNull()) return "no reference picture";
  QImage argb = reference.convertToFormat(QImage::Format_ARGB32);
  if (bitmap.Width() != argb.width() || bitmap.Height() != argb.height()) {
    return "size " + std::to_string(bitmap.Width()) + "x" + std::to_string(bitmap.Height()) +
           ", reference " + std::to_string(argb.width()) + "x" + std::to_string(argb.height());
  }
  for (int y = 0; y < argb.height(); ++y) {
    for (int x = 0; x < argb.width(); ++x) {
      QRgb want = argb.pixel(x, y);
      if (qAlpha(want) == 0 && transparentAs >= 0)
        want = static_cast<QRgb>(transparentAs);
      else if (qAlpha(want) != 255)
        continue;
      std::uint32_t got = bitmap.Pixel(x, y);
      int dr = std::abs(static_cast<int>(got >> 16 & 0xFF) - qRed(want));
      int dg = std::abs(static_cast<int>(got >> 8 & 0xFF) - qGreen(want));
      int db = std::abs(static_cast<int>(got & 0xFF) - qBlue(want));
      if (dr > tolerance || dg > tolerance || db > tolerance) {
        char text[128];
        std::snprintf(text, sizeof text, "pixel (%d, %d) is %06X, reference %06X", x, y,
                      static_cast<unsigned>(got), static_cast<unsigned>(want & 0xFFFFFF));
        return text;
      }
    }
  }
  return "";
}

std::filesystem::path PictureData(const std::string& name) {
  return std::filesystem::path(VEXILO_SOURCE_DIR) / "tests/pictures/data" / name;
}

QImage LoadReference(const std::filesystem::path& file) {
  return QImage(QString::fromStdString(file.string()));
}

std::string RawRgb(const Bitmap24& bitmap) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(bitmap.Width()) * bitmap.Height() * 3);
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      std::uint32_t rgb = bitmap.Pixel(x, y);
      bytes.push_back(static_cast<char>(rgb >> 16));
      bytes.push_back(static_cast<char>(rgb >> 8));
      bytes.push_back(static_cast<char>(rgb));
    }
  }
  return bytes;
}

}  // namespace vexilo::test
