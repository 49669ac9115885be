#pragma once
// Sorting pictures out from the viewer and the grid: to the Trash (Delete), moved or copied to
// one of two remembered folders (M and C, with Shift the second), renamed (F2). Files are never
// written over. Each change keeps grid item i and file list entry i the same picture, and is
// told to Changed, so that the task's rows and archive follow. Main thread only; never while a
// grid build runs.

#include <functional>
#include <string>
#include <vector>

#include "core/AppSettings.h"
#include "core/DesktopShell.h"
#include "core/UserPrompts.h"
#include "pictures/ImageFileList.h"
#include "pictures/PictureCommands.h"

namespace vexilo {

enum class SortedOutKind { Trashed, Moved, Copied, Renamed };

struct SortedOut {
  SortedOutKind Kind;
  std::string From;
  std::string To;  // "" for the Trash
};

// "Move 3 pictures to the Trash?", "Move \"a.jpg\" to the Trash?"
std::string TrashQuestion(const std::vector<std::string>& paths);

// What the commands work on; every member outlives them.
struct SortingOutParts {
  TImageFileList& Pictures;
  PictureCommands& Commands;
  DesktopShell& Shell;
  UserPrompts& Prompts;
  AppSettings& Settings;
  // Keeps the settings after a folder was chosen.
  std::function<void()> SaveSettings;
  // After each file that was sorted out.
  std::function<void(const SortedOut&)> Changed;
};

class SortingOut {
 public:
  explicit SortingOut(SortingOutParts parts) : mParts(std::move(parts)) {}
  SortingOut(const SortingOut&) = delete;
  SortingOut& operator=(const SortingOut&) = delete;

  // The pictures of these items to the Trash, after one question unless the advanced option
  // turned it off. A picture that cannot go is named, with why, and stays. Returns how many
  // left the grid.
  int Trash(std::vector<int> items);
  // The picture of item to the first (second: the one of Shift) sorting folder, asked for
  // when it is not chosen yet or is gone. A move takes the item out of the grid. True when
  // the file was moved or copied.
  bool MoveToFolder(int item, bool second);
  bool CopyToFolder(int item, bool second);
  // Renames the picture of item to the name typed (its ending kept unless one is typed). A
  // name refused is said, and false returned.
  bool Rename(int item, const std::string& typed);
  // Both sorting folders chosen again, from the ones in use; a cancelled choice keeps its
  // folder.
  void ChooseFolders();

 private:
  // The sorting folder, chosen now when needed; "" when the user cancels.
  std::string SortingFolder(bool second);
  // Asks for the folder, starting at the one in use; false when the user cancels.
  bool PickFolder(bool second);
  bool Usable(int item) const;

  SortingOutParts mParts;
};

}  // namespace vexilo
