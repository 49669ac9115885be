#pragma once
// A camera's EXIF orientation tag (1 to 8, as TIFF defines it) and the turn or flip that
// shows the picture upright.

#include <string_view>

#include "pictures/Bitmap24.h"

namespace vexilo {

// The orientation the first EXIF segment of a JPEG file's bytes names in IFD0, 2 to 8; 1 when
// there is none or it is damaged. Reads only within `jpeg`, whatever its offsets claim.
int ReadExifOrientation(std::string_view jpeg);

// True for 5 to 8, the orientations that swap width and height.
bool OrientationSwapsSides(int orientation);

// The picture as the orientation says it is to be shown; 1 and unknown values leave it as is.
void OrientPicture(Bitmap24& picture, int orientation);

}  // namespace vexilo
