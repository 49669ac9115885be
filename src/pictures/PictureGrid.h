#pragma once
// The picture grid: 80 x 80 thumbnails as large icons on the button-face colour, captioned
// with the file names. Item i stands for entry i of the picture file list. The grid keeps
// only the captions: it paints each thumbnail in view from the picture file list's packed ones,
// so tens of thousands of items cost no pixmap each.

#include <QListView>
#include <functional>
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
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TThumbnailListModel* mModel;
};

}  // namespace vexilo
