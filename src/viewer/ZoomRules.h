#pragma once
// The viewer's zoom: the fifteen fixed levels, and the rules that enable and disable the
// Zoom In / Zoom Out menu entries and tool bar buttons. Entries and buttons are kept apart on
// purpose: opening the Zoom menu re-enables only the entries, so after reaching 1000 % and
// stepping to another picture the button can stay disabled while the menu entry (and with
// it the zoom keys) works again. Main thread only.

#include <array>

namespace vexilo {

inline constexpr int kMinZoomLevel = 1;
inline constexpr int kMaxZoomLevel = 15;
// 100 %: the level after creation, after every fit and every picture change.
inline constexpr int kFitZoomLevel = 9;

// The percentage of the picture's natural size at `level` (1..15); levels outside that
// range are clamped.
int ZoomPercent(int level);
// extent x percent / 100, truncated toward zero.
int ZoomedExtent(int naturalExtent, int level);

// Which zoom controls are enabled; all four start enabled.
struct ZoomControls {
  bool MenuZoomIn = true;
  bool MenuZoomOut = true;
  bool ButtonZoomIn = true;
  bool ButtonZoomOut = true;
  bool operator==(const ZoomControls&) const = default;
};

class ViewerZoom {
 public:
  int Level() const { return mLevel; }
  const ZoomControls& Controls() const { return mControls; }

  // One level up (down); false at the top (bottom), where nothing changes. Reaching the
  // end disables that direction's entry and button; any other step enables the opposite
  // direction's entry and button.
  bool ZoomIn();
  bool ZoomOut();
  // Fit and every picture change: level 9, the controls untouched.
  void Fit() { mLevel = kFitZoomLevel; }
  // Opening the Zoom menu, with the picture control's height now and the picture's natural
  // height: Zoom In is enabled exactly when shown <= trunc(natural x 7.5938), Zoom Out
  // exactly when shown >= trunc(natural x 0.1176). The buttons are left alone.
  void ZoomMenuOpened(int shownHeight, int naturalHeight);

  // The zoom keys follow the menu entries.
  bool ZoomInKeyAllowed() const { return mControls.MenuZoomIn; }
  bool ZoomOutKeyAllowed() const { return mControls.MenuZoomOut; }

 private:
  int mLevel = kFitZoomLevel;
  ZoomControls mControls;
};

}  // namespace vexilo
