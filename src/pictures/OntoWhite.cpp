#include "pictures/OntoWhite.h"

namespace vexilo {

void CopyOntoWhite(const std::uint8_t* premultipliedBgra, std::size_t rowBytes, Bitmap24& target) {
  for (int y = 0; y < target.Height(); ++y) {
    const std::uint8_t* source = premultipliedBgra + static_cast<std::size_t>(y) * rowBytes;
    std::uint8_t* row = target.Row(y);
    for (int x = 0; x < target.Width(); ++x, source += 4, row += 3) {
      const int clear = 255 - source[3];
      for (int c = 0; c < 3; ++c) {
        // Premultiplied channels do not exceed alpha; the bound is for bad decoder output.
        const int value = source[c] + clear;
        row[c] = static_cast<std::uint8_t>(value > 255 ? 255 : value);
      }
    }
  }
}

}  // namespace vexilo
