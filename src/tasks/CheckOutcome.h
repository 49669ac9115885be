#pragma once
// How a check for new pictures ended, as the command line prints it and the tray tells it.

#include <string>

namespace vexilo {

struct CheckOutcome {
  std::string TaskName;
  int NewPictures = 0;
  int FailedPictures = 0;
  // Why the check did not start or did not end: none when its downloads ended.
  std::string Error;

  bool Failed() const { return !Error.empty(); }
};

// "Cats: 12 new pictures, 1 failed", or "Cats: check failed: <error>".
std::string CheckOutcomeLine(const CheckOutcome& outcome);
// "12 new pictures", "1 new picture".
std::string NewPicturesText(int count);

}  // namespace vexilo
