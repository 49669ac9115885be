#pragma once
// UserPrompts as message boxes captioned "Vexilo", over the active window.

#include "core/UserPrompts.h"

namespace vexilo {

class QtUserPrompts : public UserPrompts {
 public:
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void ShowError(const std::string& text) override;
};

}  // namespace vexilo
