#pragma once
// A text that behaves as a link: blue, hand cursor, red and underlined under the pointer;
// a click emits clicked().

#include <QLabel>

namespace vexilo {

class TLinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TLinkLabel(const QString& text, QWidget* parent = nullptr);

  bool Hovered() const { return mHovered; }

 signals:
  void clicked();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void SetHovered(bool hovered);

  bool mHovered = false;
};

}  // namespace vexilo
