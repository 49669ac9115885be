#pragma once
// Turns a picture file into a Bitmap24 by its kind (see PictureKind.h): JPEG with libjpeg-turbo,
// GIF with giflib (the first image drawn on the logical screen), PNG with libpng, WebP with
// libwebp, AVIF with libavif (first frames, transparency on white), every other name read as
// a Windows bitmap. With the modern kinds of PictureReading.h on, a file whose first bytes
// name another of these kinds is decoded by its bytes, and with EXIF orientation on a JPEG
// comes turned as its camera says. Any thread; each call uses decoder state of its own.

#include <filesystem>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"
#include "pictures/PictureKind.h"

namespace vexilo {

// Whose colours the pixels come in: sRGB for what leaves the program (galleries, the shared
// thumbnail cache, the wallpaper file), the screen's for what its windows show.
enum class ColourTarget { Srgb, Screen };

// The picture at full size. Raises PictureError (unreadable file, corrupt or truncated data,
// a name whose extension does not match the contents, a size past the limits of Bitmap24.h
// or absurd for the file's size).
Bitmap24 DecodePicture(const std::filesystem::path& path);

// Like DecodePicture, but a JPEG is decoded with DCT scaling at the largest reduction (1/2,
// 1/4 or 1/8) that leaves its long side at least `minLongSide` pixels, a still WebP scaled
// while decoding to that long side, and a GIF box-filtered row by row to that long side.
// Other kinds come at full size. What the decode holds is taken from `lease`, when given,
// before it is allocated.
ReducedPicture DecodeReducedPicture(const std::filesystem::path& path, int minLongSide,
                                    DecodeLease* lease = nullptr,
                                    ColourTarget colours = ColourTarget::Srgb);

}  // namespace vexilo
