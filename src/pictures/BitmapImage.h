#pragma once
// Shows a Bitmap24 in Qt: a copy of its pixels as a top-down QImage.

#include <QImage>

#include "pictures/Bitmap24.h"

namespace vexilo {

QImage ToQImage(const Bitmap24& bitmap);

}  // namespace vexilo
