#pragma once
// The viewer's key map. Keys arrive as Qt::Key values, spelled here as plain numbers so that
// the logic needs no Qt; the window checks them against Qt's enum at compile time.

namespace vexilo {

namespace viewerkey {
inline constexpr int kSpace = 0x20;
inline constexpr int kPlus = 0x2b;
inline constexpr int kMinus = 0x2d;
inline constexpr int kSlash = 0x2f;
inline constexpr int kEqual = 0x3d;       // the main keyboard's plus key, unshifted
inline constexpr int kQuestion = 0x3f;    // the slash key, shifted
inline constexpr int kUnderscore = 0x5f;  // the main keyboard's minus key, shifted
inline constexpr int kEscape = 0x01000000;
inline constexpr int kBackspace = 0x01000003;
inline constexpr int kReturn = 0x01000004;
inline constexpr int kEnter = 0x01000005;  // the keypad's Enter
inline constexpr int kLeft = 0x01000012;
inline constexpr int kUp = 0x01000013;
inline constexpr int kRight = 0x01000014;
inline constexpr int kDown = 0x01000015;
inline constexpr int kPageUp = 0x01000016;
inline constexpr int kPageDown = 0x01000017;
inline constexpr int kDelete = 0x01000007;
inline constexpr int kF2 = 0x01000031;
inline constexpr int kLetterC = 0x43;
inline constexpr int kLetterM = 0x4d;
}  // namespace viewerkey

enum class ViewerAction {
  None,
  ShowPrevious,
  ReturnToBrowser,
  LeaveFullScreen,
  ShowNext,
  PageUp,
  PageDown,
  LineLeft,
  LineUp,
  LineRight,
  LineDown,
  ZoomIn,
  ZoomOut,
  FitImage,
  MoveToTrash,
  MoveToFolder,
  CopyToFolder,
  MoveToSecondFolder,
  CopyToSecondFolder,
  Rename,
};

// keypad: the key came from the numeric pad. Plus and minus act alike from either pad;
// the slash key is the main keyboard's only (the pad's divide key does nothing). The zoom
// actions still have to pass the zoom rules' key test. shift: held with the key; it only
// tells the sorting-out keys M and C from their second-folder kind.
ViewerAction ActionForKey(int key, bool keypad, bool shift = false);

}  // namespace vexilo
