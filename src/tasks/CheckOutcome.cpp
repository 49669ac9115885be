#include "tasks/CheckOutcome.h"

namespace vexilo {

std::string NewPicturesText(int count) {
  return std::to_string(count) + (count == 1 ? " new picture" : " new pictures");
}

std::string CheckOutcomeLine(const CheckOutcome& outcome) {
  if (outcome.Failed()) return outcome.TaskName + ": check failed: " + outcome.Error;
  return outcome.TaskName + ": " + NewPicturesText(outcome.NewPictures) + ", " +
         std::to_string(outcome.FailedPictures) + " failed";
}

}  // namespace vexilo
