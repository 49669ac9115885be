#pragma once
// The picture grid: 80 x 80 thumbnails as large icons on the button-face colour, captioned
// with the file names. Item i stands for entry i of the picture file list. The grid keeps
// only the captions: it paints each thumbnail in view from the picture file list's packed ones,
// so tens of thousands of items cost no pixmap each. On a screen of a higher density the
// items in view are repainted from thumbnails made at its resolution once those are there.

#include <QListView>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pictures/Bitmap24.h"

namespace vexilo {

class TThumbnailListModel;

class TPictureGrid : public QListView {
  Q_OBJECT

 public:
  static constexpr int kThumbnailSize = 80;

  explicit TPictureGrid(QWidget* parent = nullptr);

  // Where item i's thumbnail comes from; set once the picture file list exists.
  void SetThumbnailSource(std::function<Bitmap24(int item)> source);
  // Item i's picture file, from which a screen of a device pixel ratio above 1 gets
  // thumbnails made at its resolution, on workers, for the items in view; without it, or
  // until one is made, the item's thumbnail is drawn enlarged. Main thread; may raise
  // std::out_of_range for an item the list no longer has.
  void SetPathSource(std::function<std::string(int item)> path);
  // The grid's background, 0xRRGGBB: the thumbnails' cell colour.
  std::uint32_t ButtonFace() const;

  // The items shown.
  int count() const;
  // Adds an item for the next thumbnail; ShowAdded shows those added since it last ran, at
  // once, so that a build of thousands lays the grid out and paints it now and then only.
  void AddPicture(const QString& caption);
  // Item row (shown or still to be shown) now stands for another picture.
  void ReplacePicture(int row, const QString& caption);
  // Item row (shown or still to be shown) is gone; the items after it move up one.
  void RemovePicture(int row);
  void ShowAdded();
  void clear();
  // The selected item, -1 when none: the current one when it is selected, else the first.
  int SelectedRow() const;
  // Every selected item, in grid order.
  std::vector<int> SelectedRows() const;
  // Selects only item row (nothing when it is out of range) and scrolls it into view.
  void setCurrentRow(int row);

 signals:
  // A double click or Enter: open the viewer on the selected picture.
  void openRequested();
  // The selection changed; row as SelectedRow().
  void selectedRowChanged(int row);
  // The Delete key: the selected pictures to the Trash; M and C (with Shift: the second
  // folder) move and copy them; F2 renames the selected one.
  void deleteRequested();
  void moveRequested(bool second);
  void copyRequested(bool second);
  void renameRequested();

 protected:
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TThumbnailListModel* mModel;
};

}  // namespace vexilo
