#pragma once
// A download is written beside its save path under a hidden name of its own and renamed
// onto the save path only when it is whole, so that neither a cut transfer nor a killed
// program leaves a cut picture under the picture's name. Any thread.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vexilo {

struct PartialFile {
  int Fd;            // open for writing; the caller closes it
  std::string Path;  // "." + the save path's name + "." + six letters or digits + ".part"
};

// Creates a new partial file beside savePath: never an existing file, never through a link.
// Nothing when the folder is missing or refuses it (errno says why).
std::optional<PartialFile> CreatePartialFile(const std::string& savePath);

// True for the names CreatePartialFile gives.
bool IsPartialFileName(std::string_view name);

// Removes the partial files a killed run left in folder: regular files only, nothing below
// it, no link followed. Failures are ignored.
void RemovePartialFiles(const std::filesystem::path& folder);

}  // namespace vexilo
