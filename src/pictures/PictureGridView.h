#pragma once
// The picture grid, the preview pane and the listing's progress bar, as the picture
// commands drive them. The main window implements it over its widgets; tests record it.
// Main thread only.

#include <cstdint>
#include <string>

#include "pictures/Bitmap24.h"

namespace vexilo {

class PictureGridView {
 public:
  virtual ~PictureGridView() = default;

  // Removes every item and shows the empty grid at once.
  virtual void ClearGrid() = 0;
  // An item for the picture file list's last thumbnail (the grid paints it from there).
  virtual void AddGridItem(const std::string& caption) = 0;
  // Item index now stands for the list's entry index, which became another picture.
  virtual void ReplaceGridItem(int index, const std::string& caption) = 0;
  // Item index is gone, as the list's entry index is: the items after it move up one.
  virtual void RemoveGridItem(int index) = 0;

  // A listing's grid build. BeginBuild empties the grid, shows the progress bar and keeps
  // user input from the window; BuildStep (after item index) and BuildWaits (while the next
  // thumbnail is made) let pending events run, a download's append among them; EndBuild,
  // also after a failure part way, undoes BeginBuild and shows every item.
  virtual void BeginBuild(int count) = 0;
  virtual void BuildStep(int index) = 0;
  virtual void BuildWaits() = 0;
  virtual void EndBuild() = 0;

  // The preview pane's longer side in device pixels: a picture never needs more to be
  // previewed.
  virtual int PreviewSide() const = 0;
  // pixels may be a reduced copy of a picture of fullWidth x fullHeight.
  virtual void ShowPreview(const Bitmap24& pixels, int fullWidth, int fullHeight) = 0;
  // Leaves the pane's grey only.
  virtual void HidePreview() = 0;

  // The grid's background as 0xRRGGBB, for the thumbnails.
  virtual std::uint32_t ButtonFace() const = 0;
};

}  // namespace vexilo
