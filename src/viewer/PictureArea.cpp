#include "viewer/PictureArea.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace vexilo {
namespace {

const QColor kGrey(0x80, 0x80, 0x80);
// Qt's own scroll area's line step.
constexpr int kLineStep = 20;

}  // namespace

TPictureArea::TPictureArea(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  QPalette grey = viewport()->palette();
  grey.setColor(QPalette::Window, kGrey);
  viewport()->setPalette(grey);
  viewport()->setAutoFillBackground(false);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  horizontalScrollBar()->setSingleStep(kLineStep);
  verticalScrollBar()->setSingleStep(kLineStep);
}

void TPictureArea::SetPicture(SharedPicture picture) {
  mPicture = std::move(picture);
  mPixels = QImage();
  if (mPicture && !mPicture->Empty()) {
    // No copy: the rows are read where the decoder left them, upside down, and the painter
    // flips them.
    mPixels = QImage(mPicture->Bits(), mPicture->Width(), mPicture->Height(), mPicture->Stride(),
                     QImage::Format_BGR888);
  }
  viewport()->update();
}

void TPictureArea::SetPanel(const QRect& panel, bool keepScroll) {
  mPanel = panel;
  UpdateScrollBars();
  if (!keepScroll) {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
  }
  viewport()->update();
}

double TPictureArea::Ratio() const { return viewport()->devicePixelRatioF(); }

QSize TPictureArea::AreaSize() const { return DeviceSize(maximumViewportSize()); }

QSize TPictureArea::DeviceSize(const QSize& logical) const {
  return (QSizeF(logical) * Ratio()).toSize();
}

void TPictureArea::UpdateScrollBars() {
  const QSize view = DeviceSize(viewport()->size());
  // A line is as long as it is on a screen of one device pixel per pixel.
  const int line = std::max(1, static_cast<int>(std::lround(Ratio())));
  horizontalScrollBar()->setSingleStep(line);
  verticalScrollBar()->setSingleStep(line);
  const QSize content(mPanel.left() + mPanel.width(), mPanel.top() + mPanel.height());
  horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
  horizontalScrollBar()->setPageStep(view.width());
  verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
  verticalScrollBar()->setPageStep(view.height());
}

QRect TPictureArea::PanelInView() const {
  return mPanel.translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

void TPictureArea::paintEvent(QPaintEvent* event) {
  ++mPaintCount;
  QPainter painter(viewport());
  painter.fillRect(event->rect(), kGrey);
  // Laid out and painted in device pixels: at 100 % one picture pixel is one screen pixel.
  const double ratio = Ratio();
  painter.scale(1.0 / ratio, 1.0 / ratio);
  const QRect dirty =
      QRectF(QPointF(event->rect().topLeft()) * ratio, QSizeF(event->rect().size()) * ratio)
          .toAlignedRect();
  const QRect panel = PanelInView();
  const QRect visible = panel.intersected(dirty);
  if (visible.isEmpty() || mPixels.isNull()) return;

  // The picture's pixels under the visible part of the panel, widened to whole pixels.
  const double scaleX = static_cast<double>(panel.width()) / mPixels.width();
  const double scaleY = static_cast<double>(panel.height()) / mPixels.height();
  const int left = std::max(0, static_cast<int>((visible.left() - panel.left()) / scaleX));
  const int top = std::max(0, static_cast<int>((visible.top() - panel.top()) / scaleY));
  const int right = std::min(
      mPixels.width(), static_cast<int>(std::ceil((visible.right() + 1 - panel.left()) / scaleX)));
  const int bottom = std::min(
      mPixels.height(), static_cast<int>(std::ceil((visible.bottom() + 1 - panel.top()) / scaleY)));
  if (right <= left || bottom <= top) return;

  painter.setClipRect(visible);
  // Picture row y is stored row height - 1 - y: flip the source band into place.
  const QRectF target(panel.left() + left * scaleX, panel.top() + top * scaleY,
                      (right - left) * scaleX, (bottom - top) * scaleY);
  painter.translate(target.left(), target.bottom());
  painter.scale(1.0, -1.0);
  painter.drawImage(QRectF(0, 0, target.width(), target.height()), mPixels,
                    QRectF(left, mPixels.height() - bottom, right - left, bottom - top));
}

void TPictureArea::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
  emit resized();
}

// A scroll bar that comes or goes changes the viewport, and with it the other bar's range.
bool TPictureArea::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Resize) UpdateScrollBars();
  return QAbstractScrollArea::viewportEvent(event);
}

void TPictureArea::scrollContentsBy(int, int) { viewport()->update(); }

void TPictureArea::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton &&
      PanelInView().contains((event->position() * Ratio()).toPoint())) {
    emit panelDoubleClicked();
    return;
  }
  QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void TPictureArea::contextMenuEvent(QContextMenuEvent* event) {
  emit popupRequested(event->globalPos());
}

void TPictureArea::keyPressEvent(QKeyEvent* event) { event->ignore(); }

}  // namespace vexilo
