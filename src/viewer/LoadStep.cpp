#include "viewer/LoadStep.h"

#include <exception>

#include "pictures/ImageFileList.h"

namespace vexilo {

int NextPosition(int index, int count) {
  if (count <= 0) return -1;
  return index < 0 || index >= count - 1 ? 0 : index + 1;
}

int PreviousPosition(int index, int count) {
  if (count <= 0) return -1;
  return index <= 0 || index >= count ? count - 1 : index - 1;
}

bool LoadStep(TImageFileList& pictures, ViewerStep step, const StepHandlers& handlers) {
  const int count = pictures.Count();
  if (count == 0) return false;
  const int at = pictures.CurrentIndex();
  switch (step) {
    case ViewerStep::Next:
      pictures.SetCurrentIndex(NextPosition(at, count));
      break;
    case ViewerStep::Previous:
      pictures.SetCurrentIndex(PreviousPosition(at, count));
      break;
    case ViewerStep::First:
      pictures.SetCurrentIndex(0);
      break;
    case ViewerStep::Last:
      pictures.SetCurrentIndex(count - 1);
      break;
  }
  const std::string path = pictures.CurrentPath();
  try {
    handlers.Load(path);
    return true;
  } catch (const std::exception&) {
    handlers.ReportUnreadable(path);
  }
  // The report is modal: downloads may have added pictures meanwhile, so count again.
  const int now = pictures.Count();
  const int failed = pictures.CurrentIndex();
  pictures.SetCurrentIndex(step == ViewerStep::Previous ? PreviousPosition(failed, now)
                                                        : NextPosition(failed, now));
  return false;
}

}  // namespace vexilo
