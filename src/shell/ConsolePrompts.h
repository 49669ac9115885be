#pragma once
// The prompts of a run nobody watches ("vexilo --check"): every text goes to the error stream,
// every question is answered No.

#include <ostream>

#include "core/UserPrompts.h"

namespace vexilo {

class ConsolePrompts : public UserPrompts {
 public:
  explicit ConsolePrompts(std::ostream& out) : mOut(out) {}

  void ShowMessage(const std::string& text) override { mOut << "vexilo: " << text << '\n'; }
  bool AskYesNo(const std::string&) override { return false; }
  void ShowError(const std::string& text) override { ShowMessage(text); }
  void ShowErrorWithYes(const std::string& text) override { ShowMessage(text); }

 private:
  std::ostream& mOut;
};

}  // namespace vexilo
