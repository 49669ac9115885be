#pragma once
// Pictures that carry an ICC profile (a camera's Adobe RGB, a phone's Display P3) are turned
// into sRGB as they are decoded, so that the viewer, the preview and the thumbnails show the
// colours the picture means, as browsers do, instead of its numbers read as sRGB. The screen is
// taken to be sRGB. One transform per profile, made once and shared by every thread.

#include <string>
#include <string_view>

#include "pictures/Bitmap24.h"

namespace vexilo {

// The pixels, in the profile's colours, in sRGB. Nothing for an empty profile, one that is not
// RGB, one that cannot be read, or one that is sRGB already.
void ConvertToSrgb(std::string_view iccProfile, Bitmap24& pixels);

// The ICC profile of a PNG file's iCCP chunk, inflated; empty without one or when it is damaged.
std::string PngColourProfile(std::string_view file);

}  // namespace vexilo
