#pragma once
// Which picture the viewer opens on, and the View Mode command's check before it. Plain
// rules, so that whichever object hosts the commands can call them. Main thread only.

#include <functional>

namespace vexilo {

class TImageFileList;
class UserPrompts;
class ViewerHost;

inline constexpr char kNoPictureSelected[] = "No picture is selected!";

// Opening from the grid: false with an empty grid (nothing opens). With no item selected,
// selects item 0; the list's position becomes the selected item either way.
bool PrepareViewerOpen(ViewerHost& host, TImageFileList& pictures);

// File > View Mode and the View Mode button: with an empty grid says so; then, in either
// case, opens as the grid's double-click does (which then does nothing further).
void ViewModeCommand(ViewerHost& host, UserPrompts& prompts,
                     const std::function<void()>& openViewer);

}  // namespace vexilo
