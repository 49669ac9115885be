#pragma once
// Comparing decoded bitmaps with the reference pictures of the corpora.

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>

#include "pictures/Bitmap24.h"

namespace vexilo::test {

// The button face the thumbnail tests draw onto.
inline constexpr std::uint32_t kFace = 0xD4D0C8;

// "" when every opaque pixel of `reference` is within `tolerance` per channel of `bitmap`
// and the sizes match; otherwise what differs first. With `transparentAs` >= 0, pixels the
// reference leaves transparent must be that colour (0xRRGGBB); otherwise they are skipped.
std::string DifferenceFrom(const Bitmap24& bitmap, const QImage& reference, int tolerance,
                           long transparentAs = -1);

QImage LoadReference(const std::filesystem::path& file);

// One of the repository's own small pictures, tests/pictures/data/<name>.
std::filesystem::path PictureData(const std::string& name);

// The bitmap as raw RGB triples, top row first (giflib's .rgb files, PPM bodies).
std::string RawRgb(const Bitmap24& bitmap);

}  // namespace vexilo::test
