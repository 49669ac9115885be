#pragma once
// DesktopShell through the user's desktop: default handlers, the folder dialog, the clipboard.

#include "core/DesktopShell.h"

namespace vexilo {

class QtDesktopShell : public DesktopShell {
 public:
  // An existing path opens as a local file or folder, anything else as an address.
  bool Open(const std::string& pathOrAddress) override;
  std::optional<std::string> PickFolder(const std::string& title,
                                        const std::string& startFolder) override;
  void SetClipboardText(const std::string& text) override;
  bool MoveToTrash(const std::string& path) override;
};

}  // namespace vexilo
