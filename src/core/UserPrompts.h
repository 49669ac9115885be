#pragma once
// Modal messages the logic shows with fixed texts. Main thread only.

#include <optional>
#include <string>
#include <vector>

namespace vexilo {

class UserPrompts {
 public:
  virtual ~UserPrompts() = default;
  // An information box with "OK"; returns when the user has closed it.
  virtual void ShowMessage(const std::string& text) = 0;
  // A question with "Yes" and "No"; true for "Yes".
  virtual bool AskYesNo(const std::string& text) = 0;
  // An error box with "OK".
  virtual void ShowError(const std::string& text) = 0;
  // An error box titled "Error" whose one button is "Yes": the viewer's unreadable picture,
  // the gallery's missing template.
  virtual void ShowErrorWithYes(const std::string& text) = 0;
  // One of choices, `preselected` marked, with "OK" and "Cancel": the index picked, or
  // nullopt when cancelled. Prompts that cannot ask take the preselected one.
  virtual std::optional<int> AskChoice(const std::string& /*text*/,
                                       const std::vector<std::string>& /*choices*/,
                                       int preselected) {
    return preselected;
  }
};

}  // namespace vexilo
