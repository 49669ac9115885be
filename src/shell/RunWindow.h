#pragma once
// What the run shows in the main window besides the task tree, the address box and the
// picture grid: the picture list pane and the swap of the grid for the browser while the
// user logs on. Main thread only.

#include <string>
#include <vector>

#include "core/PictureEntry.h"

namespace vexilo {

class RunWindow {
 public:
  virtual ~RunWindow() = default;
  // The picture list pane shows rows anew.
  virtual void ShowPictureRows(const std::vector<PictureEntry>& rows) = 0;
  virtual void AddPictureRow(const PictureEntry& row) = 0;
  virtual void SetPictureRowStatus(int row, const std::string& status) = 0;
  // The status row shows now; "" for a row out of range (and where nothing is shown).
  virtual std::string PictureRowStatus(int /*row*/) const { return ""; }
  // Shows another address in the row's Link column (where a redirection led).
  virtual void SetPictureRowLink(int row, const std::string& link) = 0;
  // Hidden while the user logs on in the browser beneath the grid.
  virtual void SetGridVisible(bool visible) = 0;
};

}  // namespace vexilo
