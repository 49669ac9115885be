#include "viewer/ViewerOpening.h"

#include "pictures/ImageFileList.h"
#include "viewer/ViewerHost.h"

namespace vexilo {

bool PrepareViewerOpen(ViewerHost& host, TImageFileList& pictures) {
  if (host.GridCount() == 0) return false;
  int selected = host.SelectedGridItem();
  if (selected < 0) {
    selected = 0;
    host.SelectGridItem(selected);
  }
  pictures.SetCurrentIndex(selected);
  return true;
}

}  // namespace vexilo
