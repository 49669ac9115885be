#pragma once
// Pictures that carry an ICC profile (a camera's Adobe RGB, a phone's Display P3) are turned
// into sRGB as they are decoded, so that the viewer, the preview and the thumbnails show the
// colours the picture means, as browsers do, instead of its numbers read as sRGB. What is shown
// on a screen whose own profile says it is not sRGB (a wide-gamut monitor calibrated through
// colord, say) is turned into the screen's colours instead, in one step, so a wide-gamut
// picture keeps its colours there. One transform per profile, made once and shared by every
// thread.

#include <string>
#include <string_view>

#include "pictures/Bitmap24.h"

namespace vexilo {

// The pixels, in the profile's colours, in sRGB. Nothing for an empty profile, one that is not
// RGB, one that cannot be read, or one that is sRGB already.
void ConvertToSrgb(std::string_view iccProfile, Bitmap24& pixels);

// The pixels, in the profile's colours or in sRGB when it is empty, in the screen's: as
// ConvertToSrgb while the screen is sRGB.
void ConvertForScreen(std::string_view iccProfile, Bitmap24& pixels);

// The screen's ICC profile, taken before anything is shown; sRGB after an empty one, one that
// cannot be read or is not RGB, and one that shows sRGB as it is.
void UseScreenProfile(std::string_view iccProfile);
// False while the screen is taken to be sRGB.
bool ScreenHasOwnColours();

// The ICC profile of a PNG file's iCCP chunk, inflated; empty without one or when it is damaged.
std::string PngColourProfile(std::string_view file);

}  // namespace vexilo
