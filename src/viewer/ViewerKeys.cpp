#include "viewer/ViewerKeys.h"

namespace vexilo {

ViewerAction ActionForKey(int key, bool keypad, bool shift) {
  using namespace viewerkey;
  switch (key) {
    case kBackspace:
      return ViewerAction::ShowPrevious;
    case kReturn:
    case kEnter:
      return ViewerAction::ReturnToBrowser;
    case kEscape:
      return ViewerAction::LeaveFullScreen;
    case kSpace:
      return ViewerAction::ShowNext;
    case kPageUp:
      return ViewerAction::PageUp;
    case kPageDown:
      return ViewerAction::PageDown;
    case kLeft:
      return ViewerAction::LineLeft;
    case kUp:
      return ViewerAction::LineUp;
    case kRight:
      return ViewerAction::LineRight;
    case kDown:
      return ViewerAction::LineDown;
    case kPlus:
    case kEqual:
      return ViewerAction::ZoomIn;
    case kMinus:
    case kUnderscore:
      return ViewerAction::ZoomOut;
    case kSlash:
    case kQuestion:
      return keypad ? ViewerAction::None : ViewerAction::FitImage;
    case kDelete:
      return shift ? ViewerAction::None : ViewerAction::MoveToTrash;
    case kLetterM:
      return shift ? ViewerAction::MoveToSecondFolder : ViewerAction::MoveToFolder;
    case kLetterC:
      return shift ? ViewerAction::CopyToSecondFolder : ViewerAction::CopyToFolder;
    case kF2:
      return shift ? ViewerAction::None : ViewerAction::Rename;
    default:
      return ViewerAction::None;
  }
}

}  // namespace vexilo
