#pragma once
// Which picture the viewer opens on. Main thread only.

namespace vexilo {

class TImageFileList;
class ViewerHost;

// Opening from the grid: false with an empty grid (nothing opens). With no item selected,
// selects item 0; the list's position becomes the selected item either way.
bool PrepareViewerOpen(ViewerHost& host, TImageFileList& pictures);

}  // namespace vexilo
