#pragma once
// The desktop services the commands use: opening things with their handlers, the folder
// picker, the clipboard and the Trash. Main thread only.

#include <optional>
#include <string>

namespace vexilo {

class DesktopShell {
 public:
  virtual ~DesktopShell() = default;
  // Opens a file, a folder or an address with the user's handler for it; false when no
  // handler could be started.
  virtual bool Open(const std::string& pathOrAddress) = 0;
  // Asks for a folder, startFolder shown first when it is not empty; std::nullopt when the
  // user cancels.
  virtual std::optional<std::string> PickFolder(const std::string& title,
                                                const std::string& startFolder) = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  // Moves a file to the desktop's Trash, from where the user can take it back; false when it
  // could not be moved.
  virtual bool MoveToTrash(const std::string& path) = 0;
};

}  // namespace vexilo
