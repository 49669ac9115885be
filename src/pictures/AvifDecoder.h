#pragma once
// AVIF files through libavif: the first image of the file, transparency drawn onto white.
// Raises PictureError.

#include <filesystem>
#include <string>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"
#include "pictures/PictureAnimation.h"

namespace vexilo {

// What the decode holds is taken from `lease`, when given, before it is allocated. The file's
// ICC profile (colr), when it has one, goes to colourProfile when given.
Bitmap24 DecodeAvif(const std::filesystem::path& path, DecodeLease* lease = nullptr,
                    std::string* colourProfile = nullptr);

// An AVIF image sequence image by image, drawn onto white; none for a single image. Raises
// PictureError.
std::unique_ptr<PictureAnimation> OpenAvifAnimation(const std::filesystem::path& path);

}  // namespace vexilo
