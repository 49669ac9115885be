#pragma once
// Pictures with transparency are shown on white, as a web page shows them.

#include <cstddef>
#include <cstdint>

#include "pictures/Bitmap24.h"

namespace vexilo {

// Draws blue, green, red, alpha rows (alpha not premultiplied, mixed in sRGB as browsers do),
// top row first, `rowBytes` apart, onto white into `target`, whose size they have.
void CopyOntoWhite(const std::uint8_t* bgra, std::size_t rowBytes, Bitmap24& target);

}  // namespace vexilo
