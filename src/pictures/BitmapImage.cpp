#include "pictures/BitmapImage.h"

#include <cstring>

namespace vexilo {

QImage ToQImage(const Bitmap24& bitmap) {
  if (bitmap.Empty()) return QImage();
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_BGR888);
  const auto rowBytes = static_cast<std::size_t>(bitmap.Width()) * 3;
  for (int y = 0; y < bitmap.Height(); ++y) std::memcpy(image.scanLine(y), bitmap.Row(y), rowBytes);
  return image;
}

}  // namespace vexilo
