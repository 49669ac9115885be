#include "viewer/ZoomRules.h"

#include <algorithm>
#include <cstdint>

namespace vexilo {
namespace {

constexpr std::array<int, kMaxZoomLevel> kPercents = {5,   7,   10,  15,  20,  30,  50,  70,
                                                      100, 150, 200, 300, 500, 700, 1000};

// The menu rule's factors, as exact ten-thousandths: a double 7.5938 times a height could
// land a hair below the whole number the decimal factor gives.
constexpr std::int64_t kZoomInLimit = 75938;
constexpr std::int64_t kZoomOutLimit = 1176;
constexpr std::int64_t kLimitScale = 10000;

}  // namespace

int ZoomPercent(int level) {
  level = std::clamp(level, kMinZoomLevel, kMaxZoomLevel);
  return kPercents[static_cast<std::size_t>(level - 1)];
}

int ZoomedExtent(int naturalExtent, int level) {
  return static_cast<int>(static_cast<std::int64_t>(naturalExtent) * ZoomPercent(level) / 100);
}

bool ViewerZoom::ZoomIn() {
  if (mLevel >= kMaxZoomLevel) return false;
  ++mLevel;
  if (mLevel == kMaxZoomLevel) {
    mControls.MenuZoomIn = false;
    mControls.ButtonZoomIn = false;
  } else {
    mControls.MenuZoomOut = true;
    mControls.ButtonZoomOut = true;
  }
  return true;
}

bool ViewerZoom::ZoomOut() {
  if (mLevel <= kMinZoomLevel) return false;
  --mLevel;
  if (mLevel == kMinZoomLevel) {
    mControls.MenuZoomOut = false;
    mControls.ButtonZoomOut = false;
  } else {
    mControls.MenuZoomIn = true;
    mControls.ButtonZoomIn = true;
  }
  return true;
}

void ViewerZoom::ZoomMenuOpened(int shownHeight, int naturalHeight) {
  const std::int64_t natural = naturalHeight;
  mControls.MenuZoomIn = shownHeight <= natural * kZoomInLimit / kLimitScale;
  mControls.MenuZoomOut = shownHeight >= natural * kZoomOutLimit / kLimitScale;
}

}  // namespace vexilo
