#pragma once
// UserPrompts as message boxes over the active window, captioned "Vexilo" unless said otherwise.

#include "core/UserPrompts.h"

namespace vexilo {

class QtUserPrompts : public UserPrompts {
 public:
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ShowErrorWithYes(const std::string& text) override;
  std::optional<int> AskChoice(const std::string& text, const std::vector<std::string>& choices,
                               int preselected) override;
};

}  // namespace vexilo
