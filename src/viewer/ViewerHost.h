#pragma once
// What the viewer needs of the main window and its picture grid. Main thread only.

namespace vexilo {

class ViewerHost {
 public:
  virtual ~ViewerHost() = default;

  virtual int GridCount() const = 0;
  // The selected grid item, or -1.
  virtual int SelectedGridItem() const = 0;
  // Selects item index, running the grid's selection handling (status texts and preview)
  // even when that item was selected already.
  virtual void SelectGridItem(int index) = 0;
  virtual void ShowMainWindow() = 0;
  virtual void HideMainWindow() = 0;
  // The viewer was closed: end the program through the main window's shut-down steps.
  virtual void ShutDownApplication() = 0;
};

}  // namespace vexilo
