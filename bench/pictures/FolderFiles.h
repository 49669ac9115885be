#pragma once
// The files of a folder named on a benchmark's command line, sorted by name.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace vexilo::bench {

inline std::vector<std::string> SortedFolderFiles(const std::filesystem::path& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace vexilo::bench
