#include "pictures/PreviewPane.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include "pictures/PreviewPlacement.h"

namespace vexilo {

TPreviewPane::TPreviewPane(QWidget* parent) : QWidget(parent), mPicture(new QLabel(this)) {
  setAutoFillBackground(true);
  QPalette grey = palette();
  grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
  setPalette(grey);
  setMinimumSize(0, 0);
  mPicture->setScaledContents(true);
  mPicture->hide();
}

void TPreviewPane::ShowPicture(const QImage& pixels, int fullWidth, int fullHeight) {
  mPicture->hide();
  PreviewRect place = PlacePreview(fullWidth, fullHeight, width(), height());
  mPicture->setPixmap(QPixmap::fromImage(pixels));
  mPicture->setGeometry(place.Left, place.Top, place.Width, place.Height);
  mPicture->show();
}

void TPreviewPane::HidePicture() { mPicture->hide(); }

}  // namespace vexilo
