#pragma once
// The viewer's navigation over the picture file list: move the position, load the picture
// there, and after a picture that cannot be read move one step further in the direction of
// travel, so that the next step goes on past it. Main thread only.

#include <functional>
#include <string>

namespace vexilo {

class TImageFileList;

enum class ViewerStep { Next, Previous, First, Last };

// What the viewer does with the picture at a position.
struct StepHandlers {
  // Loads the picture at path into the view; raises on failure, leaving the view as it was.
  std::function<void(const std::string& path)> Load;
  // Tells the user that path could not be read; returns when the user has answered.
  std::function<void(const std::string& path)> ReportUnreadable;
};

// Moves the list's position by `step` with wrap-around (Next and Previous; First to 0, Last
// to Count() - 1) and loads the picture there. On failure reports it and moves once more:
// forward for Next, First and Last, backward for Previous, whatever the picture's kind.
// True when a picture was loaded. An empty list changes nothing; a position outside the
// list (a list shortened under the viewer) counts as just before the first entry going
// forward and just past the last going backward.
bool LoadStep(TImageFileList& pictures, ViewerStep step, const StepHandlers& handlers);

// The positions one step forward and back from `index` with wrap-around, for reading ahead.
int NextPosition(int index, int count);
int PreviousPosition(int index, int count);

}  // namespace vexilo
