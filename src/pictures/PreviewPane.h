#pragma once
// The preview pane: a grey panel with one picture control, placed by PlacePreview. The
// placement is made when a picture is shown, not again when the pane is resized.

#include <QWidget>

class QLabel;

namespace vexilo {

class TPreviewPane : public QWidget {
  Q_OBJECT

 public:
  explicit TPreviewPane(QWidget* parent = nullptr);

  // pixels may be a reduced copy of a picture of fullWidth x fullHeight; the placement
  // follows the full size.
  void ShowPicture(const QImage& pixels, int fullWidth, int fullHeight);
  void HidePicture();
  QLabel* PictureControl() const { return mPicture; }

 private:
  QLabel* mPicture;
};

}  // namespace vexilo
