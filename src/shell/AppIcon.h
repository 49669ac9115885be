#pragma once
// The application icon (window, tray, about box), built into the program.

#include <QIcon>

namespace vexilo {

QIcon AppIcon();

}  // namespace vexilo
