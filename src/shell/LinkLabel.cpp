#include "shell/LinkLabel.h"

#include <QMouseEvent>

namespace vexilo {

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setCursor(Qt::PointingHandCursor);
  SetHovered(false);
}

void TLinkLabel::enterEvent(QEnterEvent* event) {
  SetHovered(true);
  QLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent* event) {
  SetHovered(false);
  QLabel::leaveEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
  QLabel::mouseReleaseEvent(event);
}

void TLinkLabel::SetHovered(bool hovered) {
  mHovered = hovered;
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, hovered ? Qt::red : Qt::blue);
  setPalette(colours);
  QFont underlined = font();
  underlined.setUnderline(hovered);
  setFont(underlined);
}

}  // namespace vexilo
