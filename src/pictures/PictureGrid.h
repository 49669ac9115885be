#pragma once
// The picture grid: 80 x 80 thumbnails as large icons on the button-face colour, captioned
// with the file names. Item i stands for entry i of the picture file list.

#include <QListWidget>

namespace vexilo {

class TPictureGrid : public QListWidget {
  Q_OBJECT

 public:
  static constexpr int kThumbnailSize = 80;

  explicit TPictureGrid(QWidget* parent = nullptr);

  void AddPicture(const QImage& thumbnail, const QString& caption);

 signals:
  // A double click or Enter: open the viewer on the selected picture.
  void openRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vexilo
