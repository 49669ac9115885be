#pragma once
// The screen's ICC profile as colour managers (colord, dispwin, xiccd) publish it on X11: the
// root window's _ICC_PROFILE property. Empty elsewhere (Wayland, offscreen) and without one,
// so the screen is taken to be sRGB there. Main thread, after the application is made.

#include <string>

namespace vexilo {

std::string ReadScreenProfile();

}  // namespace vexilo
