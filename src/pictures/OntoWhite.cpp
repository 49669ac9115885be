#include "pictures/OntoWhite.h"

namespace vexilo {

void CopyOntoWhite(const std::uint8_t* bgra, std::size_t rowBytes, Bitmap24& target) {
  for (int y = 0; y < target.Height(); ++y) {
    const std::uint8_t* source = bgra + static_cast<std::size_t>(y) * rowBytes;
    std::uint8_t* row = target.Row(y);
    for (int x = 0; x < target.Width(); ++x, source += 4, row += 3) {
      const int alpha = source[3];
      const int white = 255 * (255 - alpha) + 127;
      for (int c = 0; c < 3; ++c) {
        row[c] = static_cast<std::uint8_t>((source[c] * alpha + white) / 255);
      }
    }
  }
}

}  // namespace vexilo
