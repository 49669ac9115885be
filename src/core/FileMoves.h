#pragma once
// Moving, copying and renaming a picture file the user sorts out, never over another file: a
// taken name in the target folder becomes "name (2).jpg", "name (3).jpg", ... for a move or a
// copy, and refuses a rename. Links are never followed at the target. Any thread.

#include <filesystem>
#include <string>

namespace vexilo {

// What became of one file; Error is "" when it worked and says why otherwise.
struct FileMoveResult {
  std::filesystem::path To;
  std::string Error;

  bool Ok() const { return Error.empty(); }
};

// "photo.jpg", then "photo (2).jpg", "photo (3).jpg", ...: the name number n of a file
// named fileName (n from 1).
std::string NumberedName(const std::string& fileName, int n);

// Moves the file into folder under the first of its numbered names that is free. Across file
// systems the bytes are copied and the original removed once the copy is whole.
FileMoveResult MoveIntoFolder(const std::filesystem::path& from,
                              const std::filesystem::path& folder);
// Copies the file into folder under the first of its numbered names that is free.
FileMoveResult CopyIntoFolder(const std::filesystem::path& from,
                              const std::filesystem::path& folder);

// The name a rename gives a file now called oldName when the user types typed (trimmed):
// typed as it is when it has an ending of its own, else typed with oldName's ending. Error
// set for an empty name, one with "/", or "." and "..".
FileMoveResult RenamedName(const std::string& oldName, const std::string& typed);
// Renames from to the name `to` in its folder; refused when that name is taken.
FileMoveResult RenameFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace vexilo
