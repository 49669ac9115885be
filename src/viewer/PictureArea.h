#pragma once
// The viewer's picture area: a grey scroll area over one panel that holds the picture
// stretched to the panel's size. The panel is never made as a widget or a pixmap: only the
// part of it in view is painted, straight from the decoded picture, so a 6000 x 4000 picture
// at 1000 % costs no more than one screen. Scroll bars and their line and page steps behave
// as if the whole panel were there. Main thread only.

#include <QAbstractScrollArea>
#include <QImage>
#include <QRect>

#include "viewer/ViewerPictureCache.h"

namespace vexilo {

class TPictureArea : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TPictureArea(QWidget* parent = nullptr);

  // The picture in the control; the panel keeps its place until SetPanel.
  void SetPicture(SharedPicture picture);
  const SharedPicture& Picture() const { return mPicture; }
  // The panel's place and size in the content, in device pixels, as the scroll bars count.
  // keepScroll false scrolls to the top-left.
  void SetPanel(const QRect& panel, bool keepScroll);
  const QRect& Panel() const { return mPanel; }
  // The area's size without scroll bars, in device pixels: what the layout centres in.
  QSize AreaSize() const;
  // Paint events handled so far (the benchmark waits for one).
  int PaintCount() const { return mPaintCount; }

 signals:
  void panelDoubleClicked();
  void popupRequested(const QPoint& globalPos);
  // The area's size changed: the layout centres anew.
  void resized();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Keys belong to the window's key map, not to the scroll area's own handling.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  double Ratio() const;
  QSize DeviceSize(const QSize& logical) const;
  void UpdateScrollBars();
  // The panel in viewport coordinates.
  QRect PanelInView() const;

  SharedPicture mPicture;
  QImage mPixels;  // a view of mPicture's rows, stored bottom-up
  QRect mPanel;
  int mPaintCount = 0;
};

}  // namespace vexilo
