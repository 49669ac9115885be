#include "pictures/SortingOut.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "core/FileMoves.h"

namespace vexilo {
namespace {

std::string FileNameOf(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// The Trash says only no; the likely reasons can be told apart here.
std::string WhyNotTrashed(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) return "it is gone";
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (::access(folder.empty() ? "." : folder.c_str(), W_OK) != 0) {
    return "its folder cannot be written to";
  }
  return "the desktop's Trash did not take it (there may be none on its drive)";
}

}  // namespace

std::string TrashQuestion(const std::vector<std::string>& paths) {
  if (paths.size() == 1) return "Move \"" + FileNameOf(paths.front()) + "\" to the Trash?";
  return "Move " + std::to_string(paths.size()) + " pictures to the Trash?";
}

bool SortingOut::Usable(int item) const {
  return mParts.Commands.LoadingIdle() && item >= 0 && item < mParts.Pictures.Count();
}

int SortingOut::Trash(std::vector<int> items) {
  std::sort(items.begin(), items.end());
  items.erase(std::unique(items.begin(), items.end()), items.end());
  std::erase_if(items, [this](int item) { return !Usable(item); });
  if (items.empty()) return 0;
  std::vector<std::string> paths;
  for (int item : items)
    paths.push_back(mParts.Pictures.Items()[static_cast<std::size_t>(item)].Path);
  if (!mParts.Settings.Advanced.TrashWithoutAsking &&
      !mParts.Prompts.AskYesNo(TrashQuestion(paths))) {
    return 0;
  }
  std::vector<std::string> refused;
  int removed = 0;
  // From the last item on, so that the positions still to come do not move.
  for (std::size_t i = items.size(); i-- > 0;) {
    const std::string& path = paths[i];
    if (!mParts.Shell.MoveToTrash(path)) {
      refused.insert(refused.begin(), "\"" + path + "\": " + WhyNotTrashed(path));
      continue;
    }
    mParts.Commands.RemoveItem(items[i]);
    ++removed;
    if (mParts.Changed) mParts.Changed({SortedOutKind::Trashed, path, ""});
  }
  if (!refused.empty()) {
    std::string text = refused.size() == 1 ? "This picture could not be moved to the Trash:"
                                           : std::to_string(refused.size()) +
                                                 " pictures could not be moved to the Trash:";
    for (const std::string& line : refused) text += "\n" + line;
    mParts.Prompts.ShowError(text + ".");
  }
  return removed;
}

bool SortingOut::PickFolder(bool second) {
  std::string& folder =
      second ? mParts.Settings.SecondSortingFolder : mParts.Settings.SortingFolder;
  const char* title =
      second ? "Folder for Shift+M (move) and Shift+C (copy)" : "Folder for M (move) and C (copy)";
  std::optional<std::string> picked = mParts.Shell.PickFolder(title, folder);
  if (!picked || picked->empty()) return false;
  folder = *picked;
  if (mParts.SaveSettings) mParts.SaveSettings();
  return true;
}

std::string SortingOut::SortingFolder(bool second) {
  const std::string& folder =
      second ? mParts.Settings.SecondSortingFolder : mParts.Settings.SortingFolder;
  std::error_code error;
  if (!folder.empty() && std::filesystem::is_directory(folder, error)) return folder;
  return PickFolder(second) ? folder : std::string();
}

void SortingOut::ChooseFolders() {
  (void)PickFolder(false);
  (void)PickFolder(true);
}

bool SortingOut::MoveToFolder(int item, bool second) {
  if (!Usable(item)) return false;
  const std::string folder = SortingFolder(second);
  if (folder.empty() || !Usable(item)) return false;
  const std::string from = mParts.Pictures.Items()[static_cast<std::size_t>(item)].Path;
  const FileMoveResult moved = MoveIntoFolder(from, folder);
  if (!moved.Ok()) {
    mParts.Prompts.ShowError(moved.Error);
    return false;
  }
  mParts.Commands.RemoveItem(item);
  if (mParts.Changed) mParts.Changed({SortedOutKind::Moved, from, moved.To.string()});
  return true;
}

bool SortingOut::CopyToFolder(int item, bool second) {
  if (!Usable(item)) return false;
  const std::string folder = SortingFolder(second);
  if (folder.empty() || !Usable(item)) return false;
  const std::string from = mParts.Pictures.Items()[static_cast<std::size_t>(item)].Path;
  const FileMoveResult copied = CopyIntoFolder(from, folder);
  if (!copied.Ok()) {
    mParts.Prompts.ShowError(copied.Error);
    return false;
  }
  if (mParts.Changed) mParts.Changed({SortedOutKind::Copied, from, copied.To.string()});
  return true;
}

bool SortingOut::Rename(int item, const std::string& typed) {
  if (!Usable(item)) return false;
  const std::filesystem::path from = mParts.Pictures.Items()[static_cast<std::size_t>(item)].Path;
  const FileMoveResult name = RenamedName(from.filename().string(), typed);
  if (!name.Ok()) {
    mParts.Prompts.ShowError(name.Error);
    return false;
  }
  const std::filesystem::path to = from.parent_path() / name.To;
  if (to == from) return false;
  const FileMoveResult renamed = RenameFile(from, to);
  if (!renamed.Ok()) {
    mParts.Prompts.ShowError(renamed.Error);
    return false;
  }
  mParts.Commands.MoveItem(item, to.string());
  if (mParts.Changed) mParts.Changed({SortedOutKind::Renamed, from.string(), to.string()});
  return true;
}

}  // namespace vexilo
