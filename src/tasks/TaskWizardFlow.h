#pragma once
// The page rules of the new task wizard: what "Next" (or "Start") and "Back" do on each of
// its four pages, and the texts that change with the page.

#include <optional>

#include "tasks/TaskForm.h"

namespace vexilo {

inline constexpr int kWizardPageCount = 4;

struct WizardNext {
  enum class Action {
    ShowPage,         // go to Page
    Refuse,           // tell Refusal.Message, focus Refusal.Focus, stay
    AcceptQuickTask,  // TaskType "2"; New goes on with Quick Start on the quick address
    Start,            // write the record (NewTaskFromForm) and close accepted
  };
  Action What = Action::ShowPage;
  int Page = 1;
  std::optional<FormRefusal> Refusal;
};

// page is 1 to 4.
WizardNext NextFromPage(int page, const TaskForm& form);
// The page "Back" leads to; page 1 has no "Back".
int BackFromPage(int page);
bool BackEnabled(int page);

const char* WizardSubtitle(int page);
// "Next", or "Start" on the last page.
const char* NextCaption(int page);

}  // namespace vexilo
