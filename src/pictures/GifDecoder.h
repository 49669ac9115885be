#pragma once
// GIF files through giflib: the first image drawn onto a bitmap of the logical screen's size.
// Pixels the image does not cover, and its transparent ones, take the background colour.
// Raises PictureError.

#include <filesystem>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"
#include "pictures/PictureAnimation.h"

namespace vexilo {

// minLongSide 0, or a screen whose long side is at most minLongSide, gives the screen at full
// size. Otherwise the screen comes box-filtered to that long side, exactly as ShrinkToFit
// would shrink the full-size screen, holding only one screen row at a time. What the decode
// holds is taken from `lease`, when given, before it is allocated.
ReducedPicture DecodeGif(const std::filesystem::path& path, int minLongSide,
                         DecodeLease* lease = nullptr);

// Every frame in turn, each drawn over what the frames before left as their disposal says.
// The file's loop count (NETSCAPE2.0) is the number of repeats after the first showing, as
// browsers count it: none shows it once, 0 repeats it for ever. Raises PictureError.
std::unique_ptr<PictureAnimation> OpenGifAnimation(const std::filesystem::path& path);

}  // namespace vexilo
