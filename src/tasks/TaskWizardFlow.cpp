#include "tasks/TaskWizardFlow.h"

#include <algorithm>

namespace vexilo {

WizardNext NextFromPage(int page, const TaskForm& form) {
  WizardNext next;
  switch (page) {
    case 1:
      if (form.Kind != TaskKind::Quick) {
        next.Page = 2;
      } else if ((next.Refusal = CheckQuickAddress(form))) {
        next.What = WizardNext::Action::Refuse;
      } else {
        next.What = WizardNext::Action::AcceptQuickTask;
      }
      break;
    case 2:
      if ((next.Refusal = CheckNamePage(form))) {
        next.What = WizardNext::Action::Refuse;
      } else {
        next.Page = 3;
      }
      break;
    case 3:
      next.Page = 4;
      break;
    default:
      next.What = WizardNext::Action::Start;
      break;
  }
  if (next.What != WizardNext::Action::ShowPage) next.Page = page;
  return next;
}

int BackFromPage(int page) { return std::max(page - 1, 1); }

bool BackEnabled(int page) { return page > 1; }

const char* WizardSubtitle(int page) {
  switch (page) {
    case 1:
      return "Input the parameters then press \"Next\" button to continue";
    case 4:
      return "Input the parameter then press \"Start\" button to begin";
    default:
      return "Input the parameter then press \"Next\" button to continue";
  }
}

const char* NextCaption(int page) { return page >= kWizardPageCount ? "Start" : "Next"; }

}  // namespace vexilo
